// The small helpers of the system package on the manual clock and with real files: the time
// trigger, the log file with two writing processes, the text filter and the string holders.
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "orvane/zyltlogfile.h"
#include "orvane/zyltstringholders.h"
#include "orvane/zyltstringseditor.h"
#include "orvane/zylttextreplace.h"
#include "orvane/zylttimetrigger.h"
#include "system_fixture.h"
#include "vcl/classregistration.h"
#include "vcl/stdctrls.h"
#include "vcl/streaming.h"
#include "vcl/sysutils.h"
#include "win32/files.h"

namespace helpers_tests {

using namespace vcl;
using namespace orvane;
namespace fs = std::filesystem;
using zyltest::ReadTextFile;
using zyltest::WriteTextFile;

class Helpers : public systemtest::SystemTest {
protected:
    std::string Native(const std::string& name) const { return (dir_.Path() / name).string(); }
    std::string Win(const std::string& name) const { return win32::WindowsPath(Native(name)); }
    std::string Read(const std::string& name) const { return ReadTextFile(dir_.Path() / name); }

    // Moves the clock on in the trigger's own steps.
    void Run(win32::DWORD milliseconds) {
        for (win32::DWORD done = 0; done < milliseconds; done += 200)
            Advance(200);
    }
};

// ---------------------------------------------------------------------------------------------
// TZylTimeTrigger (the clock starts at 2024-01-01 09:00:00)

TEST_F(Helpers, AnArmedTriggerFiresOnceAtItsTimeEveryDay) {
    TComponentPtr<TZylTimeTrigger> trigger(new TZylTimeTrigger(nullptr));
    int fired = 0;
    trigger->OnTrigger = [&](TObject*) { ++fired; };
    trigger->SetTriggerTime("9:00:03");
    EXPECT_EQ(trigger->TriggerTime(), TimeToStr(EncodeTime(9, 0, 3, 0)));
    trigger->SetCheckForTrigger(true);
    Run(2800);
    EXPECT_EQ(fired, 0);
    Run(400);
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(trigger->CheckForTrigger());
    Run(2000);
    EXPECT_EQ(fired, 1) << "once per arming";
    trigger->SetCheckForTrigger(true);
    // A day later, reached in one jump: the moment passed while nobody looked, it still counts.
    Advance(24 * 3600 * 1000);
    EXPECT_EQ(fired, 2);
    EXPECT_EQ(trigger->CurrentDate(), DateToStr(EncodeDate(2024, 1, 2)));
}

TEST_F(Helpers, ATriggerDateLimitsTheDayAndADateAloneNeverFires) {
    TComponentPtr<TZylTimeTrigger> trigger(new TZylTimeTrigger(nullptr));
    int fired = 0;
    trigger->OnTrigger = [&](TObject*) { ++fired; };
    trigger->SetTriggerDate("2024-01-01");
    trigger->SetCheckForTrigger(true);
    Run(3000);
    EXPECT_EQ(fired, 0);
    // Midnight into the second of January, with the date set to it.
    trigger->SetTriggerTime("00:00:00");
    trigger->SetTriggerDate(DateToStr(EncodeDate(2024, 1, 2)));
    Advance((15 * 3600 - 3) * 1000 - 200);  // 23:59:59.8
    EXPECT_EQ(fired, 0);
    Run(400);
    EXPECT_EQ(fired, 1);
    trigger->SetCheckForTrigger(true);
    Advance(24 * 3600 * 1000);
    EXPECT_EQ(fired, 1) << "not on the third";
    EXPECT_THROW(trigger->SetTriggerTime("half past nine"), EConvertError);
    EXPECT_THROW(trigger->SetTriggerDate("2024-13-45x"), EConvertError);
}

TEST_F(Helpers, NewTimeFiresEachSecondAndNewDateEachDay) {
    TComponentPtr<TZylTimeTrigger> trigger(new TZylTimeTrigger(nullptr));
    int seconds = 0, days = 0;
    trigger->OnNewTime = [&](TObject*) { ++seconds; };
    trigger->OnNewDate = [&](TObject*) { ++days; };
    Run(200);
    EXPECT_EQ(seconds, 1) << "the first look differs from the remembered texts";
    EXPECT_EQ(days, 1);
    Run(3000);
    EXPECT_EQ(seconds, 4);
    EXPECT_EQ(days, 1);
    Advance(15 * 3600 * 1000);
    EXPECT_EQ(days, 2);
}

// The trigger's time was streamed in the locale's format and read back wrongly, or not at all,
// under another one.
TEST_F(Helpers, TheTriggerStreamsTheSameInEveryLocale) {
    vcl::RegisterClasses({TZylTimeTrigger::StaticClass()});
    const TFormatSettings saved = FormatSettings;
    const ScopeExit restore([&] { FormatSettings = saved; });
    TComponentPtr<TZylTimeTrigger> trigger(new TZylTimeTrigger(nullptr));
    trigger->SetName("Trigger1");
    trigger->SetTriggerTime(TimeToStr(EncodeTime(21, 30, 0, 0)));
    trigger->SetTriggerDate(DateToStr(EncodeDate(2024, 3, 4)));
    const std::string text = ComponentToText(trigger.get());
    EXPECT_NE(text.find("TriggerTime = '21:30:00'"), std::string::npos) << text;
    EXPECT_NE(text.find("TriggerDate = '2024-03-04'"), std::string::npos) << text;

    FormatSettings.ShortDateFormat = "dd.mm.yyyy";
    FormatSettings.DateSeparator = '.';
    FormatSettings.LongTimeFormat = "hh.nn.ss";
    FormatSettings.TimeSeparator = '.';
    TComponentPtr<TZylTimeTrigger> read(new TZylTimeTrigger(nullptr));
    ReadComponentText(text, read.get());
    EXPECT_EQ(read->TriggerDate(), "04.03.2024");
    EXPECT_EQ(read->TriggerTime(), "21.30.00");
}

// ---------------------------------------------------------------------------------------------
// TZylLogFile

TEST_F(Helpers, LogLinesCarryTheChosenStamps) {
    TComponentPtr<TZylLogFile> log(new TZylLogFile(nullptr));
    log->Log("nowhere");  // no file: nothing happens
    log->SetLogFile(Win("app.log"));
    log->SetLogHeader(true);
    log->Log("first");
    log->SetLogDate(true);
    log->Log("dated");
    log->SetLogTime(true);
    log->SetLogSpecial(true);
    log->Log("all");
    const std::string date = DateToStr(Now()), time = TimeToStr(Now());
    EXPECT_EQ(Read("app.log"), "Generic Log File for my Application\r\nfirst\r\n " + date +
                                   " dated\r\nLogged by User " + time + " " + date + " all\r\n");
}

// ClearLog truncated whatever file LogFile named.
TEST_F(Helpers, ClearingEmptiesOnlyALogOfItsOwn) {
    WriteTextFile(dir_.Path() / "notes.txt", "my precious notes\n");
    TComponentPtr<TZylLogFile> log(new TZylLogFile(nullptr));
    int cleared = 0;
    log->OnClear = [&](TObject*) { ++cleared; };
    log->SetLogFile(Win("notes.txt"));
    EXPECT_FALSE(log->ClearLog());
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(Read("notes.txt"), "my precious notes\n");

    log->SetLogFile(Win("missing.log"));
    EXPECT_FALSE(log->ClearLog());
    EXPECT_FALSE(fs::exists(dir_.Path() / "missing.log")) << "nothing is made";

    log->SetLogFile(Win("own.log"));
    log->Log("one");
    log->SetLogHeader(true);
    EXPECT_TRUE(log->ClearLog());
    EXPECT_EQ(Read("own.log"), "Generic Log File for my Application\r\n");
    log->Log("two");

    // A log from an earlier run is known by its header.
    TComponentPtr<TZylLogFile> later(new TZylLogFile(nullptr));
    later->SetLogFile(Win("own.log"));
    EXPECT_TRUE(later->ClearLog());
    EXPECT_EQ(Read("own.log"), "");
}

TEST_F(Helpers, TwoProcessesWritingOneLogLoseNoLine) {
    constexpr int kLines = 400;
    const std::string path = Win("shared.log");
    std::vector<pid_t> children;
    for (const char* writer : {"A", "B"}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TComponentPtr<TZylLogFile> log(new TZylLogFile(nullptr));
            log->SetLogFile(path);
            log->SetLogHeader(true);
            for (int i = 0; i < kLines; ++i)
                log->Log(std::string(writer) + std::to_string(i) + std::string(200, writer[0]));
            _exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::istringstream in(Read("shared.log"));
    std::string line;
    std::map<char, std::set<int>> seen;
    int headers = 0;
    while (std::getline(in, line)) {
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r');
        line.pop_back();
        if (line == "Generic Log File for my Application") {
            ++headers;
            continue;
        }
        const char writer = line[0];
        const size_t digits = line.find_first_not_of("0123456789", 1);
        ASSERT_EQ(line.substr(digits), std::string(200, writer)) << "a whole line";
        seen[writer].insert(std::stoi(line.substr(1, digits - 1)));
    }
    EXPECT_EQ(headers, 1);
    EXPECT_EQ(seen['A'].size(), static_cast<size_t>(kLines));
    EXPECT_EQ(seen['B'].size(), static_cast<size_t>(kLines));
}

// ---------------------------------------------------------------------------------------------
// TZylTextReplace

TEST_F(Helpers, TheFilterChangesDropsAndAddsLines) {
    WriteTextFile(dir_.Path() / "in.txt", "one\r\ntwo\nthree\nfour\nfive");
    TComponentPtr<TZylTextReplace> filter(new TZylTextReplace(nullptr));
    filter->SetFileFrom(Win("in.txt"));
    filter->SetFileTo(Win("out.txt"));
    std::vector<Integer> numbers;
    filter->BeforeWrite = [&](TObject*, std::string& line, Integer number, bool& write) {
        numbers.push_back(number);
        if (line == "two") write = false;
        if (line == "three") filter->AddNewString("before three");
        line = UpperCase(line);
    };
    EXPECT_TRUE(filter->Execute());
    EXPECT_EQ(Read("out.txt"), "ONE\r\nbefore three\r\nTHREE\r\nFOUR\r\nFIVE\r\n");
    EXPECT_EQ(numbers, (std::vector<Integer>{1, 2, 3, 4, 5}));

    filter->SetUseNoOfLines(true);
    filter->SetNoOfLinesOnly(3);
    numbers.clear();
    EXPECT_TRUE(filter->Execute());
    EXPECT_EQ(Read("out.txt"), "ONE\r\nbefore three\r\nTHREE\r\n");
    EXPECT_EQ(numbers, (std::vector<Integer>{1, 2, 3}));
    filter->SetFileTo("");
    EXPECT_THROW(filter->Execute(), Exception);
}

// Writing the target truncated it first: with the same file twice, the input was gone.
TEST_F(Helpers, TheSameFileAsSourceAndTargetIsRefusedUnderAnySpelling) {
    WriteTextFile(dir_.Path() / "Data" / "text.txt", "keep me\n");
    fs::create_hard_link(dir_.Path() / "Data" / "text.txt", dir_.Path() / "hard.txt");
    TComponentPtr<TZylTextReplace> filter(new TZylTextReplace(nullptr));
    filter->SetFileFrom(Win("Data/text.txt"));
    for (const std::string& target :
         {Win("Data/text.txt"), Win("DATA/TEXT.TXT"), Win("Data/../Data/text.txt"), Win("hard.txt")}) {
        filter->SetFileTo(target);
        EXPECT_THROW(filter->Execute(), Exception) << target;
        EXPECT_EQ(Read("Data/text.txt"), "keep me\n");
    }
}

TEST_F(Helpers, AFailedRunLeavesTheOldTargetWhole) {
    WriteTextFile(dir_.Path() / "in.txt", "new 1\nnew 2\n");
    WriteTextFile(dir_.Path() / "out.txt", "old contents\n");
    TComponentPtr<TZylTextReplace> filter(new TZylTextReplace(nullptr));
    filter->SetFileFrom(Win("in.txt"));
    filter->SetFileTo(Win("out.txt"));
    filter->BeforeWrite = [](TObject*, std::string& line, Integer, bool&) {
        if (line == "new 2") throw Exception("stop");
    };
    EXPECT_THROW(filter->Execute(), Exception);
    EXPECT_EQ(Read("out.txt"), "old contents\n");
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_.Path()))
        ++entries;
    EXPECT_EQ(entries, 2u) << "no temporary file left behind";
    filter->SetFileFrom(Win("missing.txt"));
    EXPECT_THROW(filter->Execute(), EInOutError);
    EXPECT_EQ(Read("out.txt"), "old contents\n");
}

// ---------------------------------------------------------------------------------------------
// The string holders

TEST_F(Helpers, TheJokeHolderHands64LinesOut) {
    TComponentPtr<TZylJokeHolder> jokes(new TZylJokeHolder(nullptr));
    ASSERT_EQ(jokes->Items()->Count(), 64);
    std::set<std::string> distinct;
    for (Integer i = 0; i < 64; ++i)
        distinct.insert(jokes->Items()->Strings(i));
    EXPECT_EQ(distinct.size(), 64u);
    std::string text = "unchanged";
    jokes->Getone(64, text);
    EXPECT_EQ(text, "unchanged");
    jokes->Getone(3, text);
    EXPECT_EQ(text, jokes->Items()->Strings(3));
    jokes->Getany(text);
    EXPECT_TRUE(distinct.count(text));
    jokes->Items()->Clear();
    jokes->Getany(text);
    EXPECT_EQ(text, "");
}

TEST_F(Helpers, HoldersStreamTheirLists) {
    vcl::RegisterClasses({TZylStringHolder::StaticClass(), TZylMultiLists::StaticClass()});
    TComponentPtr<TZylMultiLists> lists(new TZylMultiLists(nullptr));
    lists->SetName("Lists1");
    lists->Lists()->Add()->Strings()->Add("first");
    TZylStringList* second = lists->Lists()->Add();
    second->Strings()->Add("second");
    second->Strings()->Add("third");
    EXPECT_EQ(second->DisplayName(), "Stringlist");
    const std::string text = ComponentToText(lists.get());
    TComponentPtr<TZylMultiLists> read(new TZylMultiLists(nullptr));
    ReadComponentText(text, read.get());
    ASSERT_EQ(read->Lists()->Count(), 2);
    EXPECT_EQ(read->Lists()->GeTZylStringList(1)->Strings()->Text(), "second\r\nthird\r\n");
    read->Lists()->SeTZylStringList(0, second);
    EXPECT_EQ(read->Lists()->GeTZylStringList(0)->Strings()->Count(), 2);
    EXPECT_EQ(read->Lists()->GetOwner(), read.get());

    TComponentPtr<TZylStringHolder> holder(new TZylStringHolder(nullptr));
    holder->SetName("Holder1");
    holder->Items()->Add("kept");
    TComponentPtr<TZylStringHolder> copy(new TZylStringHolder(nullptr));
    ReadComponentText(ComponentToText(holder.get()), copy.get());
    EXPECT_EQ(copy->Items()->Strings(0), "kept");
}

TEST_F(Helpers, TheEditorsChangeTheListsOnlyOnOK) {
    TComponentPtr<TZylStringHolder> holder(new TZylStringHolder(nullptr));
    holder->SetName("Holder1");
    holder->Items()->SetCommaText("one,two");
    std::unique_ptr<TZylHolderEditor> editor(new TZylHolderEditor);
    editor->Initialize(holder.get(), nullptr);
    ASSERT_EQ(editor->GetVerbCount(), 1);
    EXPECT_EQ(editor->GetVerb(0), "Edit Items...");
    std::string counted;
    auto edit = [&](const char* button) {
        return [&, button] {
            TCustomForm* form = Dialog("ZylStringsEditor");
            ASSERT_NE(form, nullptr);
            auto* memo = dynamic_cast<TMemo*>(form->FindComponent("Memo"));
            ASSERT_NE(memo, nullptr);
            memo->SetText("alpha\r\nbeta\r\ngamma");
            counted = dynamic_cast<TLabel*>(form->FindComponent("Count"))->Caption();
            ClickControl("ZylStringsEditor", button);
        };
    };
    Answer({edit("Cancel")});
    editor->ExecuteVerb(0);
    EXPECT_EQ(holder->Items()->CommaText(), "one,two");
    Answer({edit("OK")});
    editor->ExecuteVerb(0);
    EXPECT_EQ(holder->Items()->CommaText(), "alpha,beta,gamma");
    EXPECT_EQ(counted, "3 lines");

    TComponentPtr<TZylMultiLists> lists(new TZylMultiLists(nullptr));
    lists->SetName("Lists1");
    std::unique_ptr<TZylMultiListsEditor> listsEditor(new TZylMultiListsEditor);
    listsEditor->Initialize(lists.get(), nullptr);
    EXPECT_EQ(listsEditor->GetVerbCount(), 1);
    listsEditor->ExecuteVerb(0);
    ASSERT_EQ(listsEditor->GetVerbCount(), 2);
    EXPECT_EQ(listsEditor->GetVerb(1), "Edit List 1...");
    Answer({edit("OK")});
    listsEditor->ExecuteVerb(1);
    EXPECT_EQ(lists->Lists()->GeTZylStringList(0)->Strings()->CommaText(), "alpha,beta,gamma");
    EXPECT_THROW(listsEditor->ExecuteVerb(2), EListError);
}

}  // namespace helpers_tests
