#include <gtest/gtest.h>

#include "common/prompts.h"
#include "scripted_dialogs.h"
#include "state/setup_state.h"
#include "state/status_line.h"

class PromptsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetScriptedDialogs();
        saved = g_setup;
    }
    void TearDown() override
    {
        if (g_setup.statusLine) DestroyWindow(g_setup.statusLine);
        g_setup = saved;
        ResetScriptedDialogs();
    }
    SetupState saved;
};

TEST_F(PromptsTest, AsksWithTheSetupCaptionAndReturnsTheAnswer)
{
    ScriptMessageAnswers({IDRETRY});
    EXPECT_EQ(IDRETRY, ShowMessage(290, "Unable to install file %s.  Please make sure %s.",
                                   "C:\\x\\a.exe", "there is enough free disk space"));
    ASSERT_EQ(1u, AskedMessages().size());
    const AskedMessage& asked = AskedMessages()[0];
    EXPECT_EQ("Arbolix\xAE Setup", asked.caption);
    EXPECT_EQ(290u, asked.type);
    EXPECT_EQ("Unable to install file C:\\x\\a.exe.  Please make sure there is enough free disk space.",
              asked.text);
}

TEST_F(PromptsTest, BoxThatCannotBeShownAnswersZero)
{
    EXPECT_EQ(0, ShowMessage(MB_OK | MB_ICONEXCLAMATION, "Unable to decompress data"));
}

TEST_F(PromptsTest, NobodyAtTheScreenTakesTheAnswerThatGoesOnWithoutAPerson)
{
    ScriptScreenSeen(false);
    ScriptMessageAnswers({IDYES, IDYES, IDYES, IDYES, IDYES});
    EXPECT_EQ(IDOK, ShowMessage(MB_ICONINFORMATION, "Unable to create shortcut to %s", "x"));
    EXPECT_EQ(IDABORT, ShowMessage(MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, "Unable to install file"));
    EXPECT_EQ(IDNO, ShowMessage(MB_YESNO | MB_ICONQUESTION, "Are you sure"));
    EXPECT_EQ(IDCANCEL, ShowMessage(MB_YESNOCANCEL, "Folder x does not exist."));
    EXPECT_EQ(IDNO, ShowQuestion(MB_YESNOCANCEL, IDNO, "Your machine needs two important system files."));
    EXPECT_TRUE(AskedMessages().empty());
    EXPECT_NE(0, NobodySeesTheScreen());
    ScriptScreenSeen(true);
    EXPECT_EQ(IDYES, ShowQuestion(MB_YESNOCANCEL, IDNO, "Your machine needs two important system files."));
    EXPECT_EQ(0, NobodySeesTheScreen());
}

TEST_F(PromptsTest, LongMessageIsCutTo2047Characters)
{
    std::string longPath(5000, 'q');
    ShowMessage(MB_OK, "Folder %s does not exist.", longPath.c_str());
    ASSERT_EQ(1u, AskedMessages().size());
    EXPECT_EQ(2047u, AskedMessages()[0].text.size());
    EXPECT_EQ("Folder qqq", AskedMessages()[0].text.substr(0, 10));
}

TEST_F(PromptsTest, OwnerIsTheMainDialogsLastActivePopupWhenNothingIsActive)
{
    HWND dialog = CreateWindowExA(0, "STATIC", "main", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, 0);
    ASSERT_NE(nullptr, dialog);
    g_setup.mainDialog = dialog;
    ShowMessage(MB_OK, "x");
    ASSERT_EQ(1u, AskedMessages().size());
    HWND expected = GetActiveWindow() ? GetActiveWindow() : GetLastActivePopup(dialog);
    EXPECT_EQ(expected, AskedMessages()[0].owner);
    EXPECT_NE(nullptr, AskedMessages()[0].owner);
    DestroyWindow(dialog);
}

TEST_F(PromptsTest, KeysAndClicksQueuedDuringAnInstallAreDroppedBeforeTheBox)
{
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, 0);
    for (UINT queued : {(UINT)WM_KEYDOWN, (UINT)WM_CHAR, (UINT)WM_LBUTTONDOWN, (UINT)WM_USER})
        PostMessageA(window, queued, VK_ESCAPE, 0);
    g_setup.installing = 1;
    ShowMessage(MB_OK, "Installation Complete!");
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, 0, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&message, 0, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE));
    EXPECT_TRUE(PeekMessageA(&message, 0, WM_USER, WM_USER, PM_REMOVE));  // not input: kept
    DestroyWindow(window);
}

TEST_F(PromptsTest, InstallingStatusShowsTheEntryNameAsStored)
{
    g_setup.statusLine = CreateWindowExA(0, "STATIC", "Creating uninstall file...", WS_POPUP,
                                         0, 0, 10, 10, 0, 0, 0, 0);
    ShowInstallingStatus("SampleFiles\\Tudor.abx");
    char text[400];
    GetWindowTextA(g_setup.statusLine, text, sizeof text);
    EXPECT_STREQ("Installing SampleFiles\\Tudor.abx...", text);

    ShowStatus("Creating shortcut...");
    GetWindowTextA(g_setup.statusLine, text, sizeof text);
    EXPECT_STREQ("Creating shortcut...", text);
}

TEST_F(PromptsTest, InstallingStatusCutsAnOverlongNameAt311Characters)
{
    g_setup.statusLine = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, 0);
    ShowInstallingStatus(std::string(400, 'n').c_str());
    char text[600];
    EXPECT_EQ(311, GetWindowTextA(g_setup.statusLine, text, sizeof text));
}
