// The password prompts: the password and its scrambled form, every button and the Enter key, the
// exact count of attempts, the typed secret gone after the window closed, and the login checked
// against a real SQLite table.
#include <fstream>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "quenta/zylpassword.h"
#include "vcl/buttons.h"
#include "vcl/dbtables.h"
#include "win32/virtualkeys.h"

namespace password_tests {

using namespace vcl;
using namespace quenta;

// Reads the text of an edit as the edit goes away.
class TTextWatcher : public TComponent {
public:
    TTextWatcher() : TComponent(nullptr) {}
    std::string lastText = "unread";
    bool sawRemoval = false;

protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (auto* edit = dynamic_cast<TEdit*>(component); edit && operation == TOperation::opRemove) {
            lastText = edit->Text();
            sawRemoval = true;
        }
    }
};

class PasswordTest : public dialogtest::DialogTest {
protected:
    static void Type(const std::string& text) { TypeInto("PasswordForm", "PasswordEdit", text); }
    static void PressOk() { Click("PasswordForm", "OkButton"); }

    // Records every event of a dialog by name.
    template <typename D>
    void Record(D* dialog) {
        dialog->OnOk = [this](TObject*) { events.push_back("ok"); };
        dialog->OnCancel = [this](TObject*) { events.push_back("cancel"); };
        dialog->OnRightPassword = [this](TObject*) { events.push_back("right"); };
        dialog->OnWrongPassword = [this](TObject*) { events.push_back("wrong"); };
        dialog->AfterRetries = [this](TObject*) { events.push_back("after retries"); };
    }

    std::vector<std::string> events;
};

TEST_F(PasswordTest, ThePasswordIsKeptInCapitalsAndItsScrambleMirrorsIt) {
    TComponentPtr<TZylPasswordDlg> dialog(new TZylPasswordDlg(nullptr));
    EXPECT_EQ(dialog->FormCaption(), "Please enter your Password");
    EXPECT_EQ(dialog->FormWidth(), 320);
    EXPECT_EQ(dialog->FormHeight(), 200);
    EXPECT_EQ(dialog->Position(), poScreenCenter);
    EXPECT_EQ(dialog->NoOfRetries(), 3);
    dialog->SetPassword("Sesame7");
    EXPECT_EQ(dialog->Password(), "SESAME7");
    const std::string scramble = dialog->Scramble();
    ASSERT_EQ(scramble.size(), 7u);
    EXPECT_EQ(static_cast<unsigned char>(scramble[0]), 'S' + TZylPasswordDlg::kScrambleOffset);
    // Reading a scramble back gives the password in capitals even when it was scrambled in lower case.
    TComponentPtr<TZylPasswordDlg> other(new TZylPasswordDlg(nullptr));
    other->SetScramble(scramble);
    EXPECT_EQ(other->Password(), "SESAME7");
    std::string lower = "open";
    for (char& c : lower)
        c = static_cast<char>(c + TZylPasswordDlg::kScrambleOffset);
    other->SetScramble(lower);
    EXPECT_EQ(other->Password(), "OPEN");
    EXPECT_EQ(other->Scramble()[0], static_cast<char>('O' + TZylPasswordDlg::kScrambleOffset));
}

TEST_F(PasswordTest, TheRightPasswordInAnyCaseIsAcceptedAndTheEditIsEmptiedAfterwards) {
    TComponentPtr<TZylPasswordDlg> dialog(new TZylPasswordDlg(nullptr));
    dialog->SetPassword("Sesame");
    dialog->SetPasswordchar('#');
    Record(dialog.get());
    TEdit* edit = nullptr;
    dialog->OnRightPassword = [&](TObject*) {
        events.push_back("right");
        EXPECT_FALSE(Dialog("PasswordForm")->Visible()) << "hidden before the event";
    };
    TComponentPtr<TTextWatcher> watcher(new TTextWatcher());
    Answer({[&] {
        TCustomForm* form = Dialog("PasswordForm");
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->Caption(), "Please enter your Password");
        EXPECT_EQ(form->Width(), 320);
        EXPECT_EQ(form->Left(), (1024 - 320) / 2);
        EXPECT_EQ(Part<TLabel>("PasswordForm", "CaptionLabel")->Caption(), "Please enter your Password");
        EXPECT_FALSE(Part<TEdit>("PasswordForm", "UserEdit")->Visible());
        edit = Part<TEdit>("PasswordForm", "PasswordEdit");
        EXPECT_EQ(edit->PasswordChar(), '#');
        edit->FreeNotification(watcher.get());
        EXPECT_FALSE(Part<TBitBtn>("PasswordForm", "OkButton")->Enabled());
        Type("sEsAmE");
        EXPECT_TRUE(Part<TBitBtn>("PasswordForm", "OkButton")->Enabled());
        PressOk();
    }});
    EXPECT_TRUE(dialog->Execute());
    EXPECT_EQ(watcher->lastText, "") << "no typed password is left in the closed dialog";
    EXPECT_TRUE(watcher->sawRemoval);
    EXPECT_EQ(events, (std::vector<std::string>{"ok", "right"}));
}

TEST_F(PasswordTest, ThreeTriesMeanThreeAndOneTryMeansOne) {
    struct Case {
        Byte retries;
        int wrongAnswers;
    };
    for (const Case c : {Case{3, 3}, Case{1, 1}}) {
        TComponentPtr<TZylPasswordDlg> dialog(new TZylPasswordDlg(nullptr));
        dialog->SetPassword("right");
        dialog->SetNoOfRetries(c.retries);
        events.clear();
        Record(dialog.get());
        int answers = 0;
        for (int i = 0; i < 5; ++i)
            Answer({[&] {
                if (!Dialog("PasswordForm")) return;
                ++answers;
                Type("wrong");
                win32::input::PressKey(win32::VK_RETURN);
            }});
        EXPECT_TRUE(dialog->Execute());
        steps_.clear();
        EXPECT_EQ(answers, c.wrongAnswers);
        std::vector<std::string> expected;
        for (int i = 0; i < c.wrongAnswers; ++i) {
            expected.push_back("ok");
            expected.push_back("wrong");
        }
        expected.push_back("after retries");
        EXPECT_EQ(events, expected) << int{c.retries};
    }
}

TEST_F(PasswordTest, EnterDoesNothingWhileOkIsDisabledAndCancelCloses) {
    TComponentPtr<TZylPasswordDlg> dialog(new TZylPasswordDlg(nullptr));
    dialog->SetPassword("x");
    Record(dialog.get());
    bool stillOpen = false;
    Answer({[&] {
                Part<TEdit>("PasswordForm", "PasswordEdit")->SetFocus();
                win32::input::PressKey(win32::VK_RETURN);
            },
            [&] {
                stillOpen = Dialog("PasswordForm") != nullptr;
                Click("PasswordForm", "CancelButton");
            }});
    EXPECT_TRUE(dialog->Execute());
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(events, (std::vector<std::string>{"cancel"}));
}

// Users(NAME, SECRET) in an SQLite file.
class LoginTest : public PasswordTest {
protected:
    void SetUp() override {
        PasswordTest::SetUp();
        const std::string path = dir_.File("users.db");
        std::ofstream(path, std::ios::binary | std::ios::trunc).flush();
        TComponentPtr<TDatabase> database(new TDatabase(nullptr));
        database->SetDatabaseName(path);
        database->Execute(
            "CREATE TABLE users (NAME VARCHAR(20) PRIMARY KEY, SECRET VARCHAR(20));"
            "INSERT INTO users VALUES ('ada', 'Engine1');"
            "INSERT INTO users VALUES ('bob', 'builder');");
        owner.reset(new TForm(nullptr, 0));
        table = new TTable(owner.get());
        table->SetDatabaseName(path);
        table->SetTableName("users");
        source = new TDataSource(owner.get());
        source->SetDataSet(table);
        login.reset(new TZylDBPasswordDlg(nullptr));
        login->SetDataSource(source);
        login->SetDataUserName("NAME");
        login->SetDataPassword("SECRET");
        Record(login.get());
    }
    void TearDown() override {
        login.reset();
        owner.reset();
        PasswordTest::TearDown();
    }
    static std::function<void()> Try(const std::string& user, const std::string& password) {
        return [user, password] {
            TypeInto("PasswordForm", "UserEdit", user);
            TypeInto("PasswordForm", "PasswordEdit", password);
            PressOk();
        };
    }

    TComponentPtr<TForm> owner;
    TTable* table = nullptr;
    TDataSource* source = nullptr;
    TComponentPtr<TZylDBPasswordDlg> login;
};

TEST_F(LoginTest, TheRightLoginIsFoundInTheTableWithItsCase) {
    EXPECT_TRUE(login->VerifyLogin("bob", "builder"));
    EXPECT_FALSE(login->VerifyLogin("bob", "Builder"));
    EXPECT_EQ(Exceptions(), (std::vector<std::string>{"Invalid Username or Password."}));
    events.clear();
    std::string caption;
    Answer({[&] {
        caption = Dialog("PasswordForm")->Caption();
        EXPECT_TRUE(Part<TEdit>("PasswordForm", "UserEdit")->Visible());
        EXPECT_EQ(Part<TLabel>("PasswordForm", "CaptionLabel")->Caption(),
                  "Please enter your Login and Password");
        EXPECT_EQ(Dialog("PasswordForm")->ActiveControl(), Part<TEdit>("PasswordForm", "UserEdit"));
        Try("ada", "Engine1")();
    }});
    EXPECT_TRUE(login->Execute());
    EXPECT_EQ(caption, "Database Login");
    EXPECT_EQ(events, (std::vector<std::string>{"ok", "right"}));
}

TEST_F(LoginTest, AnUnknownUserAndAWrongPasswordUseUpTheRetries) {
    Answer({Try("carol", "x"), Try("ada", "engine1"), Try("ada", "wrong")});
    EXPECT_TRUE(login->Execute());
    // An unknown user is no wrong password.
    EXPECT_EQ(events, (std::vector<std::string>{"ok", "ok", "wrong", "ok", "wrong", "after retries"}));
    EXPECT_EQ(Exceptions(), std::vector<std::string>(3, "Invalid Username or Password."));
}

TEST_F(LoginTest, WithoutADataSourceNothingIsShownAndAFreedSourceIsForgotten) {
    owner.reset();
    EXPECT_EQ(login->DataSource(), nullptr);
    EXPECT_FALSE(login->Execute());
    EXPECT_FALSE(login->VerifyLogin("ada", "Engine1"));
    EXPECT_TRUE(loops_.empty());
}

}  // namespace password_tests
