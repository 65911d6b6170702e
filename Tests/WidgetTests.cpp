// Widgets and their controller on the headless platform: buttons, check
// boxes, radio families, the text-editing table, sliders, focus and Tab,
// anchoring, freezing.
#include "WidgetTestSupport.h"

#include "Shader.h"
#include "Utilities.h"
#include "Window.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using widgettest::Counter;
using widgettest::Key;
using widgettest::WidgetFixture;

namespace {

class Widgets : public WidgetFixture {
protected:
    // A focused text input holding text with the caret at caret and the
    // anchor at anchor.
    Widget *Input(const char *text, int32_t anchor = 0, int32_t caret = 0)
    {
        Widget *input = Add(0, kWidgetTextInput, 0, 0, text);
        EXPECT_TRUE(WidgetFocus(input));
        WidgetGetTextRec(input)->anchor = anchor;
        WidgetGetTextRec(input)->caret = caret;
        return input;
    }
};

// Clicks on check boxes are tested on the preferences screen.
TEST_F(Widgets, CheckBoxBoundsGrowToTheRightByTheTextAndOnlyChangesDispatch)
{
    Widget *box = Add('Chek', kWidgetCheckBox, 0, 0, "Play sound");
    int32_t textWidth = WidgetGetTextRec(box)->textWidth;
    ASSERT_GT(textWidth, 0);
    Rect4f b = WidgetGetBounds(box);
    EXPECT_EQ((std::vector<float>{b.left, b.bottom, b.right, b.top}),
              (std::vector<float>{-0.04f, -0.04f, 0.04f + float(textWidth) / 300.0f + 0.02f, 0.04f}));
    Counter changes;
    changes.Install(box, kWidgetCallbackValueChanged);
    Click(0, 0);
    EXPECT_EQ(std::make_pair(WidgetIsChecked(box), changes.count), std::make_pair(true, 1));
    WidgetSetChecked(box, false, true); // silent
    WidgetSetChecked(box, false, false); // no change, no dispatch
    EXPECT_EQ(changes.count, 1);
    WidgetSetChecked(box, true, false);
    EXPECT_EQ(changes.count, 2);
}

TEST_F(Widgets, ButtonReleasedOutsideFiresNothingDraggedBackFiresOnceAndFrozenNothing)
{
    Widget *button = Add('Butn', kWidgetPushButton, 0, 0, "Go");
    Counter clicks;
    clicks.Install(button, kWidgetCallbackClicked);
    Mouse(kEventMouseDown, 0, 0);
    EXPECT_TRUE(WidgetGetTextRec(button)->pressed && WidgetGetTextRec(button)->highlighted);
    Mouse(kEventMouseDragged, 0.5f, 0.5f);
    EXPECT_FALSE(WidgetGetTextRec(button)->highlighted);
    Mouse(kEventMouseUp, 0.5f, 0.5f);
    EXPECT_EQ(clicks.count, 0);
    EXPECT_FALSE(WidgetGetTextRec(button)->pressed);

    Mouse(kEventMouseDown, 0, 0);
    Mouse(kEventMouseDragged, 0.5f, 0.5f);
    Mouse(kEventMouseDragged, 0.05f, 0.01f);
    EXPECT_TRUE(WidgetGetTextRec(button)->highlighted);
    Mouse(kEventMouseUp, 0.05f, 0.01f);
    EXPECT_EQ(std::make_pair(clicks.count, clicks.last), std::make_pair(1, button));
    EXPECT_FALSE(WidgetGetTextRec(button)->highlighted);

    // A mouse-up the callback consumes is reported as taken.
    clicks.result = 0;
    EXPECT_TRUE(WidgetMouseDown(button, 0, 0, 0));
    EXPECT_TRUE(WidgetMouseUp(button, 0, 0));
    // A frozen controller's buttons do not react until it is defrosted.
    WidgetControllerFreeze(controller);
    EXPECT_EQ(controller->eventHandlerRef, 0);
    Click(0, 0);
    EXPECT_EQ(clicks.count, 2);
    WidgetControllerDefrost(controller);
    Click(0, 0);
    EXPECT_EQ(clicks.count, 3);
    // Disabled and hidden buttons ignore the mouse.
    WidgetSetEnabled(button, false);
    Click(0, 0);
    WidgetSetEnabled(button, true);
    WidgetSetVisible(button, false);
    Click(0, 0);
    EXPECT_EQ(clicks.count, 3);
}

TEST_F(Widgets, RadioButtonsOfAFamilyExcludeEachOther)
{
    Widget *a = Add('RadA', kWidgetRadioButton, 0, 0.5f, "A");
    Widget *b = Add('RadB', kWidgetRadioButton, 0, 0.0f, "B");
    Widget *c = Add('RadC', kWidgetRadioButton, 0, -0.5f, "C");
    Counter counters[3];
    Widget *buttons[] = {a, b, c};
    for (int i = 0; i < 3; i++) {
        WidgetRadioButtonSetFamilyID(buttons[i], i < 2 ? 1 : 2);
        counters[i].Install(buttons[i], kWidgetCallbackValueChanged);
    }
    EXPECT_EQ(WidgetRadioButtonGetFamilyID(b), 1);
    // Which are checked and how often each dispatched.
    auto state = [&] {
        std::vector<int> v;
        for (int i = 0; i < 3; i++)
            v.push_back(WidgetIsChecked(buttons[i])), v.push_back(counters[i].count);
        return v;
    };
    WidgetSetChecked(c, true, true);
    Click(0, 0.5f);
    EXPECT_EQ(state(), (std::vector<int>{1, 1, 0, 0, 1, 0}));
    // Clicking it again when checked dispatches nothing.
    Click(0, 0.5f);
    EXPECT_EQ(state(), (std::vector<int>{1, 1, 0, 0, 1, 0}));
    // Checking B unchecks A (with a dispatch even when silent), not C.
    WidgetSetChecked(b, true, true);
    EXPECT_EQ(state(), (std::vector<int>{0, 2, 1, 0, 1, 0}));
    // A 0 from the changed button's own dispatch stops the walk.
    counters[0].result = 0;
    WidgetSetChecked(a, true, false);
    EXPECT_TRUE(WidgetIsChecked(a) && WidgetIsChecked(b));
}

// The text-editing table: one key on a text with its anchor and caret.
TEST_F(Widgets, EditingKeysDeleteTypeAndMoveTheCaret)
{
    const struct {
        const char *text;
        int32_t anchor, caret;
        uint8_t key;
        uint32_t modifiers;
        const char *after;
        int32_t newAnchor, newCaret;
    } cases[] = {
        {"abc", 3, 3, 8, 0, "ab", 2, 2},             // backspace
        {"abc", 2, 2, 127, 0, "ab", 2, 2},           // forward delete
        {"ab", 2, 2, 127, 0, "ab", 2, 2},            // at the ends nothing goes
        {"ab", 0, 0, 8, 0, "ab", 0, 0},              //
        {"abcdef", 4, 1, 127, 0, "aef", 1, 1},       // a selection goes, the caret at its start
        {"abcdef", 4, 1, 8, 0, "aef", 1, 1},         //
        {"abcdef", 4, 1, 'x', 0, "axef", 2, 2},      // typing replaces the selection
        {"abcd", 2, 2, 28, 0, "abcd", 1, 1},         // left
        {"abcd", 1, 2, 29, kModifierShift, "abcd", 1, 3}, // shift extends
        {"abcd", 3, 1, 28, 0, "abcd", 1, 1},         // without shift a selection collapses to its end
        {"abcd", 1, 3, 29, 0, "abcd", 3, 3},         //
        {"abcd", 2, 0, 28, kModifierShift, "abcd", 2, 0}, // shift+left at 0 keeps the caret
        {"abcd", 2, 0, 31, kModifierShift, "abcd", 2, 4}, // up and down go to the ends
        {"abcd", 2, 4, 30, 0, "abcd", 0, 0},         //
        {"abcd", 0, 0, 28, 0, "abcd", 0, 0},         //
    };
    for (const auto &c : cases) {
        Widget *input = Input(c.text, c.anchor, c.caret);
        EXPECT_TRUE(WidgetKeyDown(input, c.key, 0, c.modifiers));
        WidgetTextRec *rec = WidgetGetTextRec(input);
        EXPECT_EQ(std::make_tuple(std::string(WidgetGetText(input)), rec->anchor, rec->caret),
                  std::make_tuple(std::string(c.after), c.newAnchor, c.newCaret))
            << c.text << " key " << int(c.key);
        WidgetControllerRemoveWidgetAtIndex(controller, WidgetControllerIndexForWidget(controller, input));
    }
}

TEST_F(Widgets, InsertionBeyondTheCapacityBeepsAndChangesNothing)
{
    std::string full(1023, 'a');
    Widget *input = Input("");
    WidgetSetText(input, (full + "overflow").c_str());
    EXPECT_EQ(std::string(WidgetGetText(input)), full);
    WidgetGetTextRec(input)->anchor = WidgetGetTextRec(input)->caret = 3;
    EXPECT_TRUE(WidgetKeyDown(input, 'b', 0, 0));
    EXPECT_EQ(std::make_tuple(HeadlessBeepCount(), std::string(WidgetGetText(input)), WidgetGetTextRec(input)->caret),
              std::make_tuple(1, full, 3));
    // Replacing a selection of one character still fits.
    WidgetGetTextRec(input)->caret = 4;
    EXPECT_TRUE(WidgetKeyDown(input, 'b', 0, 0));
    EXPECT_EQ(std::make_pair(HeadlessBeepCount(), WidgetGetText(input)[3]), std::make_pair(1, 'b'));
    // Texts are cut to the shorter buffer of buttons too.
    Widget *button = Add(0, kWidgetPushButton, 0, 0.5f, (full + full).c_str());
    EXPECT_EQ(std::string(WidgetGetText(button)).size(), 254u);
}

TEST_F(Widgets, TypedKeysFollowTheLayoutAndControlKeysAreLeftToTheMenus)
{
    Widget *input = Input("");
    Key(kKeyCodeA, kModifierShift);
    Key(kKeyCodeA + 1);
    Key(kKeyCode1, kModifierShift);
    Key(kKeyCodeSpace);
    Key(kKeyCodeA + 25, kModifierControl); // Ctrl+Z: a menu equivalent, not text
    EXPECT_STREQ(WidgetGetText(input), "Ab! ");
    Key(kKeyCodeBackspace);
    EXPECT_STREQ(WidgetGetText(input), "Ab!");
    Key(kKeyCodeLeft, kModifierShift);
    Key(kKeyCodeLeft, kModifierShift);
    Key(kKeyCodeA + 23); // x
    EXPECT_STREQ(WidgetGetText(input), "Ax");
    Key(kKeyCodeReturn);
    EXPECT_EQ(std::make_tuple(WidgetGetTextRec(input)->focused, controller->focusedWidget),
              std::make_tuple(false, nullptr));
    // Without the focus keys go on to the mode.
    Key(kKeyCodeA);
    EXPECT_STREQ(WidgetGetText(input), "Ax");
}

TEST_F(Widgets, CharactersTheFontLacksNeverCrash)
{
    Widget *input = Input("");
    for (int c = 1; c < 256; c++)
        WidgetKeyDown(input, uint8_t(c), 0, 0);
    // Control characters other than the editing keys insert nothing.
    for (char c : std::string(WidgetGetText(input)))
        EXPECT_GE(uint8_t(c), 32);
    EXPECT_FALSE(WidgetKeyDown(input, 0, 0, 0));
    Widget *label = Add(0, kWidgetStaticText, 0, 0.5f, "\x01\x7f\x80\xff\xe9t\xe9");
    WidgetUpdate(label, true);
    WidgetControllerDraw(controller);
    EXPECT_GT(WidgetGetTextRec(label)->lineHeight, 0);
}

TEST_F(Widgets, ClickPlacesTheCaretAndDraggingSelects)
{
    Widget *input = Add(0, kWidgetTextInput, 0, 0, "abcdef");
    WidgetTextRec *rec = WidgetGetTextRec(input);
    Rect4f b = WidgetGetBounds(input);
    float y = (b.bottom + b.top) / 2;
    Mouse(kEventMouseDown, b.left + 0.001f, y);
    EXPECT_EQ(std::make_tuple(rec->focused, controller->focusedWidget, rec->caret), std::make_tuple(true, input, 0));
    // Dragging to the right end, above the field and below it.
    const Point2f drags[] = {{b.right - 0.001f, y}, {b.right, b.top + 0.1f}, {b.left, b.bottom - 0.1f}};
    std::vector<int32_t> carets;
    for (const Point2f &d : drags) {
        Mouse(kEventMouseDragged, d.x, d.y);
        carets.push_back(rec->caret);
    }
    EXPECT_EQ(carets, (std::vector<int32_t>{6, 0, 6}));
    EXPECT_EQ(rec->anchor, 0);
    Mouse(kEventMouseUp, b.left, b.bottom - 0.1f);
    EXPECT_FALSE(rec->dragging);
    // The caret blinks: shown for half a second, hidden for the next.
    std::vector<bool> shown;
    for (float step : {0.25f, 0.5f, 0.5f}) {
        WidgetRun(input, step);
        shown.push_back(rec->caretVisible);
    }
    EXPECT_EQ(shown, (std::vector<bool>{true, false, true}));
}

TEST_F(Widgets, SliderFineDraggingRangeAndMaximum)
{
    Widget *slider = Add('Sldr', kWidgetSlider, 0, 0);
    WidgetSetMaximum(slider, 10);
    Rect4f b = WidgetGetBounds(slider);
    Counter changes;
    changes.Install(slider, kWidgetCallbackValueChanged);
    // With Alt a pointer movement worth 10 moves the value by 0.1.
    EXPECT_TRUE(WidgetMouseDown(slider, b.left, 0, kModifierAlt));
    EXPECT_FLOAT_EQ(WidgetGetValue(slider), 0.0f);
    EXPECT_FALSE(WidgetMouseMoved(slider, b.right, 0));
    EXPECT_NEAR(WidgetGetValue(slider), 0.1f, 1e-5f);
    WidgetMouseUp(slider, b.right, 0);
    // With Shift at a tenth of the pointer's speed, from the value the drag
    // began with: 0.1 + (10 - 0.1) / 10.
    EXPECT_TRUE(WidgetMouseDown(slider, b.left + (b.right - b.left) * 0.1f, 0, kModifierShift));
    WidgetMouseMoved(slider, b.right, 0);
    EXPECT_NEAR(WidgetGetValue(slider), 1.09f, 1e-4f);
    WidgetMouseUp(slider, b.right, 0);
    // Plainly the value follows the pointer and stays within 0 and maximum;
    // after the button is up a drag moves nothing.
    Mouse(kEventMouseDown, (b.left + b.right) / 2, 0);
    EXPECT_NEAR(WidgetGetValue(slider), 5.0f, 0.05f);
    std::vector<float> values;
    for (float x : {b.right + 1, b.left - 1}) {
        Mouse(kEventMouseDragged, x, 0);
        values.push_back(WidgetGetValue(slider));
    }
    Mouse(kEventMouseUp, b.left - 1, 0);
    Mouse(kEventMouseDragged, b.right, 0);
    values.push_back(WidgetGetValue(slider));
    EXPECT_EQ(values, (std::vector<float>{10, 0, 0}));
    EXPECT_GE(changes.count, 5);
    // A horizontal slider is hit a little beyond its ends.
    EXPECT_TRUE(WidgetHitTest(slider, b.right + 0.01f, 0));
    EXPECT_FALSE(WidgetHitTest(slider, b.right + 0.02f, 0));

    // A maximum below the value lowers it, also on a progress bar (which
    // takes no clicks).
    Widget *bar = Add('Prog', kWidgetProgressBar, 0, 0.5f);
    WidgetSetValue(slider, 8);
    WidgetSetMaximum(slider, 5);
    float lowered = WidgetGetValue(slider);
    WidgetSetValue(slider, 7);
    WidgetSetValue(bar, 0.5f);
    WidgetSetMaximum(bar, 0.25f);
    EXPECT_EQ((std::vector<float>{lowered, WidgetGetValue(slider), WidgetGetValue(bar)}),
              (std::vector<float>{5, 5, 0.25f}));
    EXPECT_FALSE(WidgetHitTest(bar, 0, 0.5f));
}

TEST_F(Widgets, HitTestAndDrawOverrides)
{
    Widget *button = Add('Butn', kWidgetPushButton, 0, 0);
    Counter hits;
    hits.Install(button, kWidgetCallbackHitTest);
    // The callback's answer, a point, and whether it hits.
    const std::tuple<int32_t, float, bool> cases[] = {
        {kWidgetHitTestForceMiss, 0.0f, false}, {kWidgetHitTestForceHit, 0.9f, true}, {1, 0.0f, true}};
    for (auto [result, at, hit] : cases) {
        hits.result = result;
        EXPECT_EQ(WidgetHitTest(button, at, at), hit) << result;
    }

    // A widget that suppresses its drawing still takes the mouse.
    Counter draws, clicks;
    draws.result = 0;
    draws.Install(button, kWidgetCallbackDraw);
    clicks.Install(button, kWidgetCallbackClicked);
    WidgetControllerDraw(controller);
    EXPECT_EQ(draws.count, 1);
    Click(0, 0);
    EXPECT_EQ(clicks.count, 1);
}

TEST_F(Widgets, TabCyclesThroughTextInputs)
{
    Add('Butn', kWidgetPushButton, 0, 0.8f);
    Widget *first = Add('In 1', kWidgetTextInput, 0, 0.5f, "one");
    Widget *second = Add('In 2', kWidgetTextInput, 0, 0.0f, "two");
    Widget *third = Add('In 3', kWidgetTextInput, 0, -0.5f, "three");
    // Without a focus Tab starts at the first, Shift+Tab at the last.
    Key(kKeyCodeTab);
    EXPECT_EQ(controller->focusedWidget, first);
    WidgetBlur(first);
    EXPECT_EQ(controller->focusedWidget, nullptr);
    Key(kKeyCodeTab, kModifierShift);
    EXPECT_EQ(controller->focusedWidget, third);
    ASSERT_TRUE(WidgetFocus(second));
    // From the second: on, round to the first, and back round to the third.
    std::vector<Widget *> focused;
    for (uint32_t modifiers : {0u, 0u, uint32_t(kModifierShift)}) {
        Key(kKeyCodeTab, modifiers);
        focused.push_back(controller->focusedWidget);
    }
    EXPECT_EQ(focused, (std::vector<Widget *>{third, first, third}));
    EXPECT_EQ(std::make_tuple(WidgetGetTextRec(first)->focused, WidgetGetTextRec(second)->focused,
                              WidgetGetTextRec(third)->focused),
              std::make_tuple(false, false, true));
    // Tab never reaches the text.
    EXPECT_STREQ(WidgetGetText(third), "three");
}

TEST_F(Widgets, RefusedFocusIsSkipped)
{
    Widget *first = Add('In 1', kWidgetTextInput, 0, 0.5f);
    Widget *second = Add('In 2', kWidgetTextInput, 0, 0.0f);
    Counter refuse;
    refuse.result = 0;
    refuse.Install(first, kWidgetCallbackFocus);
    EXPECT_FALSE(WidgetFocus(first));
    Click(0, 0.5f);
    EXPECT_EQ(controller->focusedWidget, nullptr);
    // Without a focus Tab starts after the last widget, which it never tries.
    std::vector<Widget *> focused;
    for (uint32_t modifiers : {0u, uint32_t(kModifierShift), 0u}) {
        Key(kKeyCodeTab, modifiers);
        focused.push_back(controller->focusedWidget);
    }
    EXPECT_EQ(focused, (std::vector<Widget *>{nullptr, second, second}));
    // Hidden and disabled inputs take no focus either, and hiding blurs.
    WidgetSetVisible(second, false);
    EXPECT_EQ(controller->focusedWidget, nullptr);
    EXPECT_FALSE(WidgetFocus(second));
}

TEST_F(Widgets, AClickElsewhereBlursBeforeAnyWidgetSeesIt)
{
    Widget *input = Add('In 1', kWidgetTextInput, 0, 0.5f);
    Widget *button = Add('Butn', kWidgetPushButton, 0, -0.5f);
    ASSERT_TRUE(WidgetFocus(input));
    struct Probe {
        Widget *input;
        int32_t focusedAtHitTest = -1;
        static int32_t Callback(void *context, void *)
        {
            Probe *probe = static_cast<Probe *>(context);
            if (probe->focusedAtHitTest < 0)
                probe->focusedAtHitTest = WidgetGetTextRec(probe->input)->focused;
            return 1;
        }
    } probe{input};
    CallbackControllerInstallCallback(WidgetGetCallbackController(button), kWidgetCallbackHitTest, Probe::Callback,
                                      &probe);
    Mouse(kEventMouseDown, 0, -0.5f);
    EXPECT_EQ(std::make_tuple(probe.focusedAtHitTest, controller->focusedWidget, WidgetGetTextRec(button)->pressed),
              std::make_tuple(0, nullptr, true));
    Mouse(kEventMouseUp, 0, -0.5f);
}

TEST_F(Widgets, ARefusedBlurKeepsTheFocusAndGivesTheClickToNobody)
{
    Widget *input = Add('In 1', kWidgetTextInput, 0, 0.5f);
    Widget *other = Add('In 2', kWidgetTextInput, 0, 0.0f);
    Widget *button = Add('Butn', kWidgetPushButton, 0, -0.5f);
    ASSERT_TRUE(WidgetFocus(input));
    Counter refuse;
    refuse.result = 0;
    refuse.Install(input, kWidgetCallbackBlur);
    Mouse(kEventMouseDown, 0, -0.5f);
    EXPECT_EQ(std::make_tuple(WidgetGetTextRec(button)->pressed, controller->focusedWidget),
              std::make_tuple(false, input));
    Mouse(kEventMouseUp, 0, -0.5f);
    // Another input cannot take the focus either; only one is ever marked.
    EXPECT_FALSE(WidgetFocus(other));
    Key(kKeyCodeEscape);
    EXPECT_EQ(std::make_tuple(WidgetGetTextRec(other)->focused, WidgetGetTextRec(input)->focused),
              std::make_tuple(false, true));
}

TEST_F(Widgets, RemovingTheFocusedWidgetClearsTheFocus)
{
    Add('Butn', kWidgetPushButton, 0, -0.5f);
    Widget *input = Add('In 1', kWidgetTextInput, 0, 0.5f);
    ASSERT_TRUE(WidgetFocus(input));
    WidgetControllerRemoveWidgetAtIndex(controller, 5);  // out of range: nothing
    WidgetControllerRemoveWidgetAtIndex(controller, -1);
    EXPECT_EQ(WidgetControllerNumberOfWidgets(controller), 2);
    WidgetControllerRemoveWidgetAtIndex(controller, 1);
    EXPECT_EQ(std::make_tuple(controller->focusedWidget, WidgetControllerNumberOfWidgets(controller)),
              std::make_tuple(nullptr, 1));
    Key(kKeyCodeA);
    Key(kKeyCodeTab);
}

class Anchoring : public WidgetFixture {
protected:
    void SetUp() override { Open(600, 600); }
};

TEST_F(Anchoring, WidgetsFollowTheirEdgeWhenTheRatioChanges)
{
    ASSERT_FLOAT_EQ(OpenGLWindowGetRatio(window), 1.0f);
    Widget *left = Add('Left', kWidgetStaticText, -0.9f, 0);
    Widget *right = Add('Rght', kWidgetStaticText, 0.9f, 0);
    Widget *free = Add('Free', kWidgetStaticText, 0.3f, 0);
    WidgetControllerSetWidgetRelativity(controller, left, kWidgetRelativeLeft);
    WidgetControllerSetWidgetRelativity(controller, right, kWidgetRelativeRight);
    widgettest::Resize(window, 960, 600);
    ASSERT_FLOAT_EQ(OpenGLWindowGetRatio(window), 1.6f);
    EXPECT_FLOAT_EQ(controller->ratio, 1.6f);
    EXPECT_FLOAT_EQ(WidgetGetLocation(left).x, -1.5f);
    EXPECT_FLOAT_EQ(WidgetGetLocation(right).x, 1.5f);
    EXPECT_FLOAT_EQ(WidgetGetLocation(free).x, 0.3f);
    // Anchoring at a ratio of 1.6 moves a widget placed for 1.0 to its edge.
    const std::pair<int32_t, float> anchorings[] = {
        {kWidgetRelativeLeft, -0.3f}, {kWidgetRelativeRight, 0.9f}, {kWidgetRelativeNone, 0.3f}};
    for (auto [relativity, x] : anchorings) {
        WidgetControllerSetWidgetRelativity(controller, free, relativity);
        EXPECT_FLOAT_EQ(WidgetGetLocation(free).x, x) << relativity;
    }
}

} // namespace
