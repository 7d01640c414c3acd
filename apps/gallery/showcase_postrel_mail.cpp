// Showcases of the mail package: each component's settings as the property inspector lists them,
// set up as a program sending or fetching mail would; nothing connects anywhere.
#include <string>

#include "gallery.h"
#include "postrel/zylmapi.h"
#include "postrel/zyltiemails.h"

using namespace vcl;
using namespace postrel;

namespace {

gallery::Registration smtpMail{
    "TZylSMTPMail", "postrel",
    "Sending through a mail server on the submission port with STARTTLS and automatic authentication; "
    "one message queued (listed in its form text).",
    [](gallery::Album& album) {
        TComponentPtr<TZylSMTPMail> smtp(new TZylSMTPMail(nullptr));
        smtp->SetName("ZylSMTPMail1");
        smtp->SetHost("mail.example.org");
        smtp->SetPort("587");
        smtp->SetSecurity(msStartTLS);
        smtp->SetAuthMethod(samAutomatic);
        smtp->SetUsername("gardener");
        TZylMessage* message = smtp->Messages()->Add();
        message->SetFromName("Garden Club");
        message->SetFromMail("club@example.org");
        message->SetSendTo("members@example.org");
        message->SetSubject("Planting day on Saturday");
        message->Message()->Add("Bring gloves and a spade.");
        gallery::ShootInspector(album, smtp.get(), "STARTTLS on port 587, one message", false);
    }};

gallery::Registration popMail{
    "TZylPOPMail", "postrel",
    "Fetching mail over implicit TLS with the user name and password commands, leaving the messages "
    "on the server and skipping any larger than 1 MB.",
    [](gallery::Album& album) {
        TComponentPtr<TZylPOPMail> pop(new TZylPOPMail(nullptr));
        pop->SetName("ZylPOPMail1");
        pop->SetHost("pop.example.org");
        pop->SetSecurity(msImplicitTLS);
        pop->SetUsername("gardener");
        pop->SetAuthMethod(pamUserPass);
        pop->SetDeleteOfServer(false);
        pop->SetMaxMessageSize(1048576);
        gallery::ShootInspector(album, pop.get(), "Implicit TLS, messages kept on the server", false);
    }};

gallery::Registration mapiMail{
    "TZylMapiMail", "postrel",
    "Sending through the messaging system's provider with its default profile and a signature; one "
    "message queued (listed in its form text).",
    [](gallery::Album& album) {
        TComponentPtr<TZylMapiMail> mapi(new TZylMapiMail(nullptr));
        mapi->SetName("ZylMapiMail1");
        mapi->Signature()->Add("-- ");
        mapi->Signature()->Add("The Garden Club");
        TZylMapiMessage* message = mapi->Messages()->Add();
        message->SetSubject("Seed order");
        message->RecipientsTo()->Add("orders@example.org");
        message->Message()->Add("Two packets of sweet peas, please.");
        gallery::ShootInspector(album, mapi.get(), "Default profile, signature, one message", false);
    }};

gallery::Registration quickMail{
    "TZylQuickMail", "postrel", "One message in a single call: recipient, subject and text.",
    [](gallery::Album& album) {
        TComponentPtr<TZylQuickMail> quick(new TZylQuickMail(nullptr));
        quick->SetName("ZylQuickMail1");
        quick->SetToName("Rose Gardner");
        quick->SetToEmailorFaxAddress("rose@example.org");
        quick->SetSubject("Your allotment");
        quick->TextToSend()->Add("Plot 12 is yours from May.");
        gallery::ShootInspector(album, quick.get(), "A message to one recipient", false);
    }};

}  // namespace
