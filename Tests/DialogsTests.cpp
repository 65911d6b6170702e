// The save, open, ask-to-save and form dialogs on the headless platform: the
// name checks, scripted answers, and each dialog shown for real and driven by
// injected keys and clicks that its nested loop consumes.
#include "EditorTestSupport.h"
#include "WidgetTestSupport.h"

#include <cctype>
#include <functional>

using namespace editortest;

namespace {

// Queues a key press and release; nothing runs until a dialog's loop does.
void Press(int32_t keyCode, uint32_t modifiers = 0, double delay = 0.0)
{
    HeadlessInjectKey(kEventRawKeyDown, keyCode, modifiers, delay);
    HeadlessInjectKey(kEventRawKeyUp, keyCode, modifiers, delay);
}

void Type(const std::string &text)
{
    for (char c : text) {
        bool upper = std::isupper(uint8_t(c));
        int32_t key = c == ' ' ? kKeyCodeSpace : PlatformCharCodeToKeyCode(uint8_t(std::tolower(uint8_t(c))));
        ASSERT_GE(key, 0) << c;
        Press(key, upper ? uint32_t(kModifierShift) : 0u);
    }
}

// Every static text of the dialog, one line after another.
std::string Texts(WidgetController *widgets)
{
    std::string all;
    for (int32_t i = 0; i < WidgetControllerNumberOfWidgets(widgets); i++) {
        Widget *w = WidgetControllerWidgetAtIndex(widgets, i);
        if (w->kind == kWidgetStaticText && WidgetIsVisible(w) && WidgetGetText(w)[0])
            all += std::string(all.empty() ? "" : " ") + WidgetGetText(w);
    }
    return all;
}

class Dialogs : public ::testing::Test {
protected:
    TemporaryHome home;
    OpenGLWindow *window = nullptr;
    // Runs each time a dialog comes up, with its widgets.
    std::function<void(WidgetController *)> onShow;
    int32_t shown = 0;
    WidgetController *widgets = nullptr; // the dialog shown last
    std::string message;

    void SetUp() override
    {
        HeadlessPlatformStartUp();
        ASSERT_EQ(0, TextStartUp());
        window = OpenGLWindowAllocate("Brimhold", 800, 600, false, false, kProjectionPerspective);
        ASSERT_NE(window, nullptr) << "no window could be opened";
        DialogsSetWindow(window);
        DialogsSetObserver(Observe, this);
    }
    void TearDown() override
    {
        DialogsSetObserver(nullptr, nullptr);
        DialogsSetWindow(nullptr);
        DialogsClearScriptedAnswers();
        OpenGLWindowDispose(window);
        TextShutDown();
        HeadlessPlatformShutDown();
    }
    static void Observe(WidgetController *widgets, void *context)
    {
        Dialogs *test = static_cast<Dialogs *>(context);
        test->shown++;
        test->widgets = widgets;
        if (test->onShow)
            test->onShow(widgets);
    }
    // Reads the dialog's message into `message` the given time from now.
    void ReadMessageAfter(double seconds)
    {
        PlatformInstallTimer(
            seconds, 0,
            [](PlatformTimerRef, void *context) {
                Dialogs *test = static_cast<Dialogs *>(context);
                if (test->widgets)
                    test->message =
                        WidgetGetText(WidgetControllerGetWidgetByIdentifier(test->widgets, kDialogsMessage));
            },
            this);
    }
    void Click(WidgetController *widgets, FourCharCode identifier, double delay = 0.0)
    {
        Widget *widget = WidgetControllerGetWidgetByIdentifier(widgets, identifier);
        ASSERT_NE(widget, nullptr);
        ASSERT_TRUE(WidgetIsVisible(widget));
        Rect4f b = WidgetGetBounds(widget);
        Point2f p = widgettest::Global(window, (b.left + b.right) / 2, (b.bottom + b.top) / 2);
        HeadlessInjectMouse(kEventMouseDown, p.x, p.y, 0, 1, delay);
        HeadlessInjectMouse(kEventMouseUp, p.x, p.y, 0, 1, delay);
    }
    // Answers the next dialogs by clicking the button.
    void ClickOnShow(FourCharCode button)
    {
        onShow = [this, button](WidgetController *widgets) { Click(widgets, button); };
    }
    // The name the save dialog gives, or "(cancelled)".
    std::string SaveAs(const std::string &defaultName)
    {
        fs::path folder;
        std::string name;
        if (!displayModalSaveDialog(defaultName, home.root, &folder, &name))
            return "(cancelled)";
        EXPECT_EQ(folder, home.root);
        return name;
    }
    // The file the open dialog gives, or "(cancelled)".
    fs::path Opened()
    {
        fs::path file;
        return displayModalOpenDialog(&file) ? file : fs::path("(cancelled)");
    }
};

TEST(DialogsNames, RefusedNamesSayWhy)
{
    for (const std::string &bad :
         {std::string(), std::string("a/b"), std::string("/"), std::string("."), std::string(".."),
          std::string("...."), std::string(256, 'x'), std::string("a\0b", 3)})
        EXPECT_NE(DialogsCheckFileName(bad), nullptr) << bad;
    EXPECT_STREQ(DialogsCheckFileName(""), "Please type a name for the file.");
    for (const std::string &good : {std::string("Test levels"), std::string(".hidden"), std::string("a..b"),
                                    std::string(255, 'x'), std::string("Été")})
        EXPECT_EQ(DialogsCheckFileName(good), nullptr) << good;
}

TEST_F(Dialogs, ScriptedAnswersAreTakenInOrderInsteadOfShowing)
{
    DialogsQueueScriptedAnswer(-1);
    DialogsQueueScriptedAnswer(1, "Other");
    DialogsQueueScriptedAnswer(1);
    DialogsQueueScriptedAnswer(1, "a/b");
    DialogsQueueScriptedAnswer(1, "Mine");
    DialogsQueueScriptedAnswer(0);
    EXPECT_EQ(DialogsPendingScriptedAnswers(), 6);
    EXPECT_EQ(displayAskSaveChangesDialog("Set", true), -1);
    EXPECT_EQ(SaveAs("Set"), "Other");
    EXPECT_EQ(SaveAs("Set"), "Set");
    EXPECT_EQ(SaveAs("Set"), "(cancelled)"); // the name checks still apply
    EXPECT_EQ(Opened(), home.UserLevels() / "Mine");
    EXPECT_EQ(Opened(), "(cancelled)");

    // Then the platform's answers.
    HeadlessQueueAnswer(0);
    EXPECT_EQ(displayAskSaveChangesDialog("Set", false), 0);
    DialogsQueueScriptedAnswer(1);
    DialogsClearScriptedAnswers();
    EXPECT_EQ(DialogsPendingScriptedAnswers(), 0);
    EXPECT_EQ(shown, 0);
}

TEST_F(Dialogs, AskIsWordedForQuittingOrClosingAnswersByKeyOrClickAndKeepsEventsFromTheModes)
{
    std::string texts;
    onShow = [&](WidgetController *widgets) { texts = Texts(widgets); };
    Press(kKeyCodeReturn);
    EXPECT_EQ(displayAskSaveChangesDialog("Test levels", true), 1);
    EXPECT_EQ(texts, "Do you want to save the changes you made to \"Test levels\" before quitting? "
                     "Your changes will be lost if you don't save them.");

    Press(kKeyCodeEscape);
    EXPECT_EQ(displayAskSaveChangesDialog("Test levels", false), 0);
    EXPECT_NE(texts.find("\"Test levels\" before closing?"), std::string::npos) << texts;

    for (auto [button, answer] : {std::pair{kDialogsDontSaveButton, -1}, std::pair{kDialogsSaveButton, 1},
                                  std::pair{kDialogsCancelButton, 0}}) {
        ClickOnShow(button);
        EXPECT_EQ(displayAskSaveChangesDialog("Test levels", false), answer);
    }

    // Nothing left to answer it: cancelled.
    onShow = nullptr;
    EXPECT_EQ(displayAskSaveChangesDialog("Test levels", false), 0);

    // Keys and commands never reach the modes, and Ctrl+Q does nothing.
    int32_t seen = 0;
    const int32_t kinds[] = {kEventRawKeyDown, kEventCommandProcess, kEventMouseDown};
    PlatformInstallEventHandler(
        kTargetApplication, kinds, 3,
        [](const PlatformEvent *, void *context) {
            ++*static_cast<int32_t *>(context);
            return false;
        },
        &seen);
    PlatformInstallEventHandler(
        kTargetWindow, kinds, 3, [](const PlatformEvent *, void *) { return false; }, nullptr);
    Press(PlatformCharCodeToKeyCode('q'), kModifierControl);
    HeadlessInjectCommand('save');
    HeadlessInjectSimple(kEventWindowClose);
    HeadlessInjectMouse(kEventMouseDown, 1, 1);
    Press(kKeyCodeEscape);
    EXPECT_EQ(displayAskSaveChangesDialog("Set", true), 0);
    EXPECT_EQ(seen, 0);
    EXPECT_FALSE(HeadlessRunFor(0.1)); // the program goes on
    EXPECT_EQ(seen, 0);

    // No window: not shown at all.
    DialogsSetWindow(nullptr);
    EXPECT_EQ(displayAskSaveChangesDialog("Test levels", false), kDialogNotShown);
}

TEST_F(Dialogs, SaveTakesTheTypedNameInPlaceOfTheSelectedOne)
{
    Type("Level Two");
    Press(kKeyCodeReturn);
    EXPECT_EQ(SaveAs("Test levels"), "Level Two");

    // Return at once keeps the proposed name; Escape and Cancel cancel.
    Press(kKeyCodeReturn);
    EXPECT_EQ(SaveAs("Test levels"), "Test levels");
    Type("x");
    Press(kKeyCodeEscape);
    EXPECT_EQ(SaveAs("Test levels"), "(cancelled)");
    ClickOnShow(kDialogsCancelButton);
    EXPECT_EQ(SaveAs("Test levels"), "(cancelled)");
    ClickOnShow(kDialogsSaveButton);
    EXPECT_EQ(SaveAs("Test levels"), "Test levels");

    // Tab moves the focus, and typing without it does nothing.
    onShow = [&](WidgetController *) {
        // A click on the panel away from the field takes the focus from it.
        Point2f p = widgettest::Global(window, 0.0f, -0.2f);
        HeadlessInjectMouse(kEventMouseDown, p.x, p.y);
        HeadlessInjectMouse(kEventMouseUp, p.x, p.y);
        Type("zz");
        Press(kKeyCodeTab); // back into the field, all of it selected
        Type("New");
        Press(kKeyCodeReturn);
    };
    EXPECT_EQ(SaveAs("Set"), "New");
}

// A bad name, a folder or a file already there keeps the save dialog open:
// the first two are refused in it, the last asks to be replaced.
TEST_F(Dialogs, SaveRefusesBadNamesAndFoldersAndAsksToReplaceAFile)
{
    ReadMessageAfter(0.5);
    Type("a/b");
    Press(kKeyCodeReturn);
    // A second later, when the message has been read: mend the name.
    Press(kKeyCodeBackspace, 0, 1.0);
    Press(kKeyCodeBackspace, 0, 1.0);
    Press(PlatformCharCodeToKeyCode('c'), 0, 1.0);
    Press(kKeyCodeReturn, 0, 1.0);
    EXPECT_EQ(SaveAs("Set"), "ac");
    EXPECT_EQ(message, "A name cannot contain a slash (\"/\").");
    EXPECT_EQ(shown, 1);

    WriteText(home.root / "Taken", "old");
    fs::create_directories(home.root / "Folder");
    std::vector<std::string> views;
    onShow = [&](WidgetController *widgets) {
        views.push_back(Texts(widgets));
        if (views.size() == 4)
            Click(widgets, kDialogsReplaceButton);
    };
    Type("Folder");
    Press(kKeyCodeReturn); // a folder is refused in the dialog
    for (int i = 0; i < 6; i++)
        Press(kKeyCodeBackspace);
    Type("Taken");
    Press(kKeyCodeReturn); // the question
    Press(kKeyCodeEscape); // back to the dialog, the name all selected
    Press(kKeyCodeReturn); // the question again, answered by a click
    EXPECT_EQ(SaveAs("Set"), "Taken");
    ASSERT_EQ(views.size(), 4u);
    EXPECT_EQ(views[1].rfind("\"Taken\" already exists. Do you want to replace it?", 0), 0u) << views[1];
    EXPECT_EQ(views[3], views[1]);
    EXPECT_EQ(views[2].rfind("Save file as:", 0), 0u) << views[2];

    // Cancel in the question returns to the dialog, which Escape cancels.
    views.clear();
    onShow = [&](WidgetController *widgets) {
        views.push_back(Texts(widgets));
        if (views.size() == 2)
            Click(widgets, kDialogsReplaceCancelButton);
        if (views.size() == 3)
            Press(kKeyCodeEscape);
    };
    Type("Taken");
    Press(kKeyCodeReturn);
    EXPECT_EQ(SaveAs("Set"), "(cancelled)");
    EXPECT_EQ(views.size(), 3u);
    EXPECT_EQ(views[2].rfind("Save file as:", 0), 0u) << views[2];
}

// The form the level options use: refused values keep it up until the check
// takes them.
TEST_F(Dialogs, FormKeepsRefusedValuesUpUntilTheCheckTakesThem)
{
    // The first field starts selected: typing replaces it; Tab goes on to
    // the next field (and round again), selecting all of it.
    for (int32_t key : {kKeyCode1 + 3, int32_t(kKeyCode0), int32_t(kKeyCodeTab), kKeyCode1 + 2})
        Press(key);
    Press(kKeyCodeReturn); // "40" is refused
    Press(kKeyCodeTab, 0, 1.0);
    Press(kKeyCode1 + 3, 0, 1.0);
    Press(kKeyCodeReturn, 0, 1.0);
    std::vector<std::vector<std::string>> checked;
    std::vector<std::string> texts = {"1", "2"};
    bool accepted = displayModalFormDialog("Sizes", {"First:", "Second:"}, &texts,
                                           [&](const std::vector<std::string> &values) {
                                               checked.push_back(values);
                                               return values[0] == "40" ? std::string("Too big.") : std::string();
                                           });
    EXPECT_TRUE(accepted);
    EXPECT_EQ(checked, (std::vector<std::vector<std::string>>{{"40", "3"}, {"4", "3"}}));
    EXPECT_EQ(texts, (std::vector<std::string>{"4", "3"}));

    // Escape cancels and leaves the texts alone.
    Press(kKeyCodeEscape);
    EXPECT_FALSE(displayModalFormDialog("Sizes", {"First:", "Second:"}, &texts, nullptr));
    EXPECT_EQ(texts, (std::vector<std::string>{"4", "3"}));
}

class OpenDialog : public Dialogs {
protected:
    fs::path user = home.UserLevels(), downloaded = home.DownloadedLevels();
    std::vector<std::string> rows;
    void SetUp() override
    {
        Dialogs::SetUp();
        WriteSet(user, "Good", 2);
        WriteSet(user, "Broken", 1);
        fs::resize_file(user / "Broken", fs::file_size(user / "Broken") - 3);
        WriteSet(downloaded, "Fetched", 1);
        WriteText(user / "Notes", "not a level set");
        onShow = [&](WidgetController *widgets) { rows = Rows(widgets); };
    }
    // Each row as "name | folder | levels".
    static std::vector<std::string> Rows(WidgetController *widgets)
    {
        auto text = [&](FourCharCode id) {
            return std::string(WidgetGetText(WidgetControllerGetWidgetByIdentifier(widgets, id)));
        };
        std::vector<std::string> rows;
        for (int32_t row = 0; row < kDialogsVisibleRows && !text(DialogsRowNameIdentifier(row)).empty(); row++)
            rows.push_back(text(DialogsRowNameIdentifier(row)) + " | " + text(DialogsRowFolderIdentifier(row)) + " | " +
                           text(DialogsRowLevelsIdentifier(row)));
        return rows;
    }
};

TEST_F(OpenDialog, ListsTheSetsWithFolderAndLevelsSkipsTheDamagedOneAndTakesAPathAfterTab)
{
    // The first usable set is chosen; Down passes over the damaged one.
    Press(kKeyCodeDown);
    Press(kKeyCodeReturn);
    EXPECT_EQ(Opened(), user / "Good");
    EXPECT_EQ(rows, (std::vector<std::string>{"Fetched | Downloaded levels | 1 level",
                                              "Broken | User levels | damaged", "Good | User levels | 2 levels"}));

    Press(kKeyCodeDown);
    Press(kKeyCodeUp);
    Press(kKeyCodeReturn);
    EXPECT_EQ(Opened(), downloaded / "Fetched");

    Press(kKeyCodeEscape);
    EXPECT_EQ(Opened(), "(cancelled)");

    // Tab leads to the path field, which takes any path.
    Press(kKeyCodeTab);
    Type("Good");
    Press(kKeyCodeReturn);
    EXPECT_EQ(Opened(), user / "Good");

    // A path that leads nowhere keeps the dialog open; Tab back to the list
    // and Return opens the chosen set.
    onShow = nullptr;
    Press(kKeyCodeTab);
    Type("Missing");
    Press(kKeyCodeReturn);
    Press(kKeyCodeTab, 0, 1.0);
    Press(kKeyCodeDown, 0, 1.0);
    Press(kKeyCodeReturn, 0, 1.0);
    ReadMessageAfter(0.5);
    EXPECT_EQ(Opened(), downloaded / "Fetched");
    EXPECT_EQ(message, "There is no file at that path.");
}

TEST_F(OpenDialog, RowsAndButtonsWorkWithTheMouse)
{
    // Clicks on the row, each at the given time.
    auto clickRow = [&](WidgetController *widgets, int32_t row, std::initializer_list<double> times) {
        Rect4f b = WidgetGetBounds(WidgetControllerGetWidgetByIdentifier(widgets, DialogsRowNameIdentifier(row)));
        Point2f p = widgettest::Global(window, b.left + 0.01f, (b.bottom + b.top) / 2);
        for (double at : times) {
            HeadlessInjectMouse(kEventMouseDown, p.x, p.y, 0, 1, at);
            HeadlessInjectMouse(kEventMouseUp, p.x, p.y, 0, 1, at);
        }
    };
    // A click on the damaged row chooses nothing; one on "Good", then Open.
    onShow = [&](WidgetController *widgets) {
        clickRow(widgets, 1, {1.0});
        clickRow(widgets, 2, {2.0});
        Click(widgets, kDialogsOpenButton, 3.0);
    };
    EXPECT_EQ(Opened(), user / "Good");

    // Two quick clicks on a row open it.
    onShow = [&](WidgetController *widgets) { clickRow(widgets, 0, {0.0, 0.2}); };
    EXPECT_EQ(Opened(), downloaded / "Fetched");
}

TEST(DialogsDesktop, TheDialogRunsOnTheDisplaysOwnEvents)
{
    TemporaryHome home; // an empty folder, so that no "x" there asks to be replaced
    ASSERT_TRUE(PlatformStartUp());
    ASSERT_EQ(0, TextStartUp());
    OpenGLWindow *window = OpenGLWindowAllocate("Brimhold", 640, 480, false, false, kProjectionPerspective);
    ASSERT_NE(window, nullptr);
    DialogsSetWindow(window);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_Q, KMOD_LCTRL);
    PushKey(SDL_KEYUP, SDL_SCANCODE_Q, KMOD_LCTRL);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_X);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN);
    // Should the keys never arrive, Escape ends the dialog after a while.
    PlatformTimerRef rescue = PlatformInstallTimer(
        10.0, 0.0, [](PlatformTimerRef, void *) { PushKey(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE); }, nullptr);
    fs::path folder;
    std::string name;
    EXPECT_TRUE(displayModalSaveDialog("Set", home.root, &folder, &name));
    EXPECT_EQ(name, "x");
    PlatformRemoveTimer(rescue);
    // Ctrl+Q ended nothing: the loop runs until its own timer ends it.
    EXPECT_TRUE(RunDesktopLoop(0.2));
    DialogsSetWindow(nullptr);
    OpenGLWindowDispose(window);
    TextShutDown();
    PlatformShutDown();
}

} // namespace
