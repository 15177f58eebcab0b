// The dialog layer under the wizard: the command line, texts and message
// boxes from the string table, modal dialogs and their hooks, and frame
// windows from a frame resource. The program's own resources are linked in.
#include <windows.h>

#include <string>

#include "installer/engine/flow_host.h"
#include "installer/engine/installation.h"
#include "installer/engine/settings_table.h"
#include "installer/resources/resource.h"
#include "installer/ui/application_win32.h"
#include "installer/ui/dialog_win32.h"
#include "installer/ui/frame_window_win32.h"
#include "installer/ui/texts_win32.h"
#include "installer/wizard/texts_win32.h"
#include "tests/installer/wizard/dialog_script_win32.h"

using namespace installer;
using wizard_test::DialogScript;
using wizard_test::ItemText;

namespace {

class UiLayer : public ::testing::Test {
protected:
    void SetUp() override {
        installation_.settings.Set(Setting::GameName, "Korvo");
        installation_.settings.Set(Setting::UGameName, "KORVO");
    }
    void TearDown() override { installation_.settings.Clear(); }

    // The installation the code under test is handed.
    installer::Installation installation_;
};

// A dialog on the text page's template that records its hooks.
class Recorder final : public ui::Dialog {
public:
    Recorder() : ui::Dialog(IDD_TEXT) {}
    int inits = 0;
    int exchanges = 0;
    bool savedOnOk = false;
    bool boundView = false;
    int lastCommand = 0;

private:
    bool OnInitDialog() override {
        ++inits;
        return ui::Dialog::OnInitDialog();
    }
    void DoDataExchange(ui::DataExchange& exchange) override {
        ++exchanges;
        exchange.Bind(IDC_TEXT_VIEW, view_);
        boundView = view_.Attached();
        if (exchange.Saving()) savedOnOk = view_.Text() == "typed";
    }
    bool OnCommand(int id, int code) override {
        if (id != IDC_BACK) return false;
        lastCommand = id;
        EndDialog(kResultBack);
        return true;
    }
    ui::Edit view_;
};

}  // namespace

TEST(UiCommandLine, the_text_after_the_program_name_is_taken_verbatim) {
    EXPECT_STREQ(ui::TextAfterProgramName("PWsetup.exe E:\\"), "E:\\");
    EXPECT_STREQ(ui::TextAfterProgramName("\"C:\\Disc Dir\\PWsetup.exe\"   D:\\Setup Dir\\"),
                 "D:\\Setup Dir\\");
    EXPECT_STREQ(ui::TextAfterProgramName("PWsetup.exe \"D:\\quoted\\\""), "\"D:\\quoted\\\"");
    EXPECT_STREQ(ui::TextAfterProgramName("PWsetup.exe"), "");
    EXPECT_STREQ(ui::TextAfterProgramName("\"unterminated"), "");
    EXPECT_STREQ(ui::TextAfterProgramName(nullptr), "");
}

TEST_F(UiLayer, texts_come_from_the_string_table_with_the_names_in_place) {
    ui::Text text;
    ASSERT_TRUE(ui::LoadText(IDS_UNINSTALL_QUESTION, text, wizard::NamesOf(installation_.settings)));
    EXPECT_STREQ(text, "Do you really want to uninstall KORVO?");
    ASSERT_TRUE(ui::LoadText(IDS_INSTALLATION_TITLE, text, wizard::NamesOf(installation_.settings)));
    EXPECT_STREQ(text, "Korvo Installation");
    EXPECT_FALSE(ui::LoadText(73, text, wizard::NamesOf(installation_.settings)));  // no such string
    EXPECT_STREQ(text, "");
}

TEST_F(UiLayer, message_boxes_fill_their_values_and_report_the_button) {
    for (const auto& [button, expected] :
         {std::pair{IDOK, Answer::Ok}, std::pair{IDCANCEL, Answer::Cancel}}) {
        DialogScript script;
        std::string caption, text;
        script.Answer(button, &caption, &text);
        script.Start();
        EXPECT_EQ(
            wizard::ShowMessage(
                nullptr, Message(IDS_INSTALLATION_TITLE, IDS_INSERT_CD, Buttons::OkCancel).Arg(uint32_t{2}),
                installation_.settings),
            expected);
        EXPECT_EQ(caption, "Korvo Installation");
        EXPECT_EQ(text, "Please insert CD 2");
    }
    // A Yes/No box closed without its buttons answers No.
    DialogScript script;
    script.Answer(IDCANCEL);
    script.Start();
    EXPECT_EQ(
        wizard::ShowMessage(nullptr, Message(IDS_UNINSTALL_TITLE, IDS_UNINSTALL_QUESTION, Buttons::YesNo),
                            installation_.settings),
        Answer::No);
}

TEST_F(UiLayer, a_dialog_runs_its_hooks_on_every_showing) {
    Recorder dialog;
    {
        DialogScript script;
        script.OnPage([](HWND window) { EXPECT_EQ(ItemText(window, IDC_NEXT), "&Next >"); }).Click(IDC_BACK);
        script.Start();
        EXPECT_EQ(dialog.DoModal(nullptr), kResultBack);
    }
    EXPECT_EQ(dialog.lastCommand, IDC_BACK);
    EXPECT_EQ(dialog.Handle(), nullptr);
    {
        // OK reads the controls back; Cancel (Esc) ends with IDCANCEL.
        DialogScript script;
        script.OnPage([](HWND window) { SetDlgItemTextA(window, IDC_TEXT_VIEW, "typed"); }).Click(IDOK);
        script.Start();
        EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    }
    {
        DialogScript script;
        script.Click(IDCANCEL);
        script.Start();
        EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    }
    EXPECT_EQ(dialog.inits, 3);
    EXPECT_EQ(dialog.exchanges, 4);  // three fillings and one reading
    EXPECT_TRUE(dialog.boundView);
    EXPECT_TRUE(dialog.savedOnOk);
}

TEST_F(UiLayer, a_dialog_without_its_template_ends_at_once_with_minus_one) {
    class Missing final : public ui::Dialog {
    public:
        Missing() : ui::Dialog(4242) {}
    } dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), -1);
}

TEST_F(UiLayer, a_frame_takes_its_title_menu_and_icon_from_its_resource_and_goes_with_its_object) {
    HWND made = nullptr;
    {
        ui::FrameWindow frame("korvo test frame");
        ASSERT_TRUE(frame.LoadFrame(IDR_BILBOARD_FRAME, WS_OVERLAPPEDWINDOW, nullptr));
        made = frame.Handle();
        char title[64] = {};
        GetWindowTextA(made, title, sizeof title);
        EXPECT_STREQ(title, "PWSetup");
        EXPECT_NE(GetMenu(made), nullptr);
        EXPECT_NE(GetClassLongPtrA(made, GCLP_HICON), 0u);
        EXPECT_FALSE(frame.LoadFrame(IDR_BILBOARD_FRAME, WS_OVERLAPPEDWINDOW, nullptr));
        frame.RemoveMenu();
        EXPECT_EQ(GetMenu(made), nullptr);
    }
    EXPECT_FALSE(IsWindow(made));
}
