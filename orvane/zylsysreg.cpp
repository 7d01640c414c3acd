// Registration unit of the system package: puts its components on their palette pages, its classes
// into the streaming registry and its property editor into the designer.
#include "orvane/zylsystem.h"
#include "orvane/zyltapplication.h"
#include "orvane/zyltdroppedfiles.h"
#include "orvane/zyltfilecollector.h"
#include "orvane/zyltfileexecute.h"
#include "orvane/zyltfileoperator.h"
#include "orvane/zyltfileproperties.h"
#include "orvane/zyltformexplode.h"
#include "orvane/zyltformsaver.h"
#include "orvane/zyltformsizes.h"
#include "orvane/zyltlogfile.h"
#include "orvane/zyltmessages.h"
#include "orvane/zyltstoredata.h"
#include "orvane/zyltstringholders.h"
#include "orvane/zyltstringseditor.h"
#include "orvane/zyltsystemcontrol.h"
#include "orvane/zyltsysteminfo.h"
#include "orvane/zyltsystemtray.h"
#include "orvane/zylttextreplace.h"
#include "orvane/zylttimetrigger.h"
#include "vcl/classregistration.h"
#include "vcl/designeditors.h"
#include "vcl/designintf.h"

namespace orvane {

namespace {

// DesignExecute of an executable component: a read-only entry whose button runs the component.
class TZylExecSystemProperty : public vcl::TStringProperty {
    VCL_CLASS(TZylExecSystemProperty, vcl::TStringProperty)
public:
    vcl::TPropertyAttributes GetAttributes() const override { return {vcl::paDialog, vcl::paReadOnly}; }
    std::string GetValue() const override { return "(Execute Test)"; }
    void Edit() override {
        if (auto* component = dynamic_cast<TZylExecuteComponent*>(GetComponent(0))) component->Execute();
    }
};

// A fact the component reads from the system: shown, never edited.
class TZylInfoStringProperty : public vcl::TStringProperty {
    VCL_CLASS(TZylInfoStringProperty, vcl::TStringProperty)
public:
    vcl::TPropertyAttributes GetAttributes() const override { return {vcl::paReadOnly}; }
    // Refused as every read-only property is, rather than discarded without a word.
    void SetValue(const std::string& value) override { vcl::TPropertyEditor::SetValue(value); }
};

// A lock key's state as the system reports it: shown, never edited.
class TZylInfoBoolProperty : public vcl::TBoolProperty {
    VCL_CLASS(TZylInfoBoolProperty, vcl::TBoolProperty)
public:
    vcl::TPropertyAttributes GetAttributes() const override { return {vcl::paReadOnly}; }
    // Refused as every read-only property is, rather than discarded without a word.
    void SetValue(const std::string& value) override { vcl::TPropertyEditor::SetValue(value); }
};

const vcl::TClassRegistration streamingRegistration{
    TZylDataStore::StaticClass(),       TZylStoreData::StaticClass(),     TZylFormSaver::StaticClass(),
    TZylIllegalAbort::StaticClass(),    TZylFormAspect::StaticClass(),    TZylFormSizes::StaticClass(),
    TZylFormHook::StaticClass(),        TZylSystemTray::StaticClass(),    TZylMsgBox::StaticClass(),
    TZylMsgDlg::StaticClass(),          TZylMsgSelect::StaticClass(),     TZylOnlyOne::StaticClass(),
    TZylApplication::StaticClass(),     TZylTopMost::StaticClass(),       TZylFormExplode::StaticClass(),
    TZylFileExecute::StaticClass(),     TZylTimeTrigger::StaticClass(),   TZylMultiLists::StaticClass(),
    TZylStringLists::StaticClass(),     TZylStringList::StaticClass(),    TZylBetaStringList::StaticClass(),
    TZylDriveVolume::StaticClass(),     TZylLogFile::StaticClass(),       TZylTextReplace::StaticClass(),
    TZylFileProperties::StaticClass(),  TZylFileOperator::StaticClass(),  TZylDroppedFiles::StaticClass(),
    TZylFileCollector::StaticClass(),   TZylStringHolder::StaticClass(),  TZylJokeHolder::StaticClass(),
    TZylResourceInfo::StaticClass(),    TZylSystemDetails::StaticClass(), TZylVersionDetails::StaticClass(),
    TZylCDTriggers::StaticClass(),      TZylWavePlayer::StaticClass(),    TZylWallPaper::StaticClass(),
    TZylScreenSaver::StaticClass(),     TZylStartup::StaticClass(),       TZylExitWindows::StaticClass(),
    TZylMouseController::StaticClass(), TZylSystemKeys::StaticClass()};

}  // namespace

void Register() {
    vcl::RegisterClasses({TZylDataStore::StaticClass()});
    vcl::RegisterComponents(
        "Zyl System",
        {TZylExitWindows::StaticClass(), TZylFileExecute::StaticClass(), TZylTopMost::StaticClass(),
         TZylOnlyOne::StaticClass(), TZylMsgDlg::StaticClass(), TZylMsgBox::StaticClass(),
         TZylMsgSelect::StaticClass(), TZylStartup::StaticClass(), TZylScreenSaver::StaticClass(),
         TZylTimeTrigger::StaticClass(), TZylWallPaper::StaticClass(), TZylFormHook::StaticClass(),
         TZylMouseController::StaticClass(), TZylWavePlayer::StaticClass(), TZylCDTriggers::StaticClass(),
         TZylVersionDetails::StaticClass(), TZylSystemKeys::StaticClass(), TZylMultiLists::StaticClass()});
    vcl::RegisterComponents(
        "Zyl System 2",
        {TZylFormSizes::StaticClass(), TZylFormAspect::StaticClass(), TZylDriveVolume::StaticClass(),
         TZylApplication::StaticClass(), TZylStoreData::StaticClass(), TZylIllegalAbort::StaticClass(),
         TZylFormSaver::StaticClass(), TZylLogFile::StaticClass(), TZylTextReplace::StaticClass(),
         TZylSystemTray::StaticClass(), TZylFileProperties::StaticClass(), TZylFileOperator::StaticClass(),
         TZylDroppedFiles::StaticClass(), TZylSystemDetails::StaticClass(), TZylFileCollector::StaticClass(),
         TZylStringHolder::StaticClass(), TZylJokeHolder::StaticClass(), TZylFormExplode::StaticClass(),
         TZylResourceInfo::StaticClass()});
    vcl::RegisterComponentEditor(TZylStringHolder::StaticClass(), TZylHolderEditor::StaticClass());
    vcl::RegisterComponentEditor(TZylJokeHolder::StaticClass(), TZylHolderEditor::StaticClass());
    vcl::RegisterComponentEditor(TZylMultiLists::StaticClass(), TZylMultiListsEditor::StaticClass());
    vcl::RegisterPropertyEditor("TStrings", TZylStringHolder::StaticClass(), "Items",
                                TZylStringsProperty::StaticClass());
    vcl::RegisterPropertyEditor("TStrings", TZylJokeHolder::StaticClass(), "Items",
                                TZylStringsProperty::StaticClass());
    vcl::RegisterPropertyEditor("TStrings", TZylStringList::StaticClass(), "Strings",
                                TZylStringsProperty::StaticClass());
    vcl::RegisterPropertyEditor("TZylSystemExecStr", TZylExecuteComponent::StaticClass(), "DesignExecute",
                                TZylExecSystemProperty::StaticClass());
    vcl::RegisterPropertyEditor("TZylInfoString", nullptr, "", TZylInfoStringProperty::StaticClass());
    for (const char* key : {"NumLock", "CapsLock", "ScrollLock"})
        vcl::RegisterPropertyEditor("Boolean", TZylResourceInfo::StaticClass(), key,
                                    TZylInfoBoolProperty::StaticClass());
}

}  // namespace orvane
