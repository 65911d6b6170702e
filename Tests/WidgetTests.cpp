// Widgets and their controller on the headless platform: buttons, check
// boxes, radio families, the text-editing table, sliders, focus and Tab,
// anchoring, freezing.
#include "WidgetTestSupport.h"

#include "Shader.h"
#include "Utilities.h"
#include "Window.h"

#include <gtest/gtest.h>

#include <string>

using widgettest::Counter;
using widgettest::Key;
using widgettest::WidgetFixture;

namespace {

class Widgets : public WidgetFixture {
protected:
    // A focused text input holding text with the caret at caret and the
    // anchor at anchor.
    Widget *Input(const char *text, int32_t anchor, int32_t caret, float y = 0.0f)
    {
        Widget *input = Add(0, kWidgetTextInput, 0, y, text);
        EXPECT_TRUE(WidgetFocus(input));
        WidgetTextRec *rec = WidgetGetTextRec(input);
        rec->anchor = anchor;
        rec->caret = caret;
        return input;
    }
    static bool Press(Widget *w, uint8_t character, uint32_t modifiers = 0)
    {
        return WidgetKeyDown(w, character, 0, modifiers);
    }
};

TEST_F(Widgets, CheckBoxBoundsGrowToTheRightByTheText)
{
    Widget *box = Add('Chek', kWidgetCheckBox, 0, 0, "Play sound");
    int32_t textWidth = WidgetGetTextRec(box)->textWidth;
    ASSERT_GT(textWidth, 0);
    Rect4f b = WidgetGetBounds(box);
    EXPECT_FLOAT_EQ(b.left, -0.04f);
    EXPECT_FLOAT_EQ(b.bottom, -0.04f);
    EXPECT_FLOAT_EQ(b.right, 0.04f + float(textWidth) / 300.0f + 0.02f);
    EXPECT_FLOAT_EQ(b.top, 0.04f);
    WidgetSetOrigin(box, 0, 0);
    EXPECT_FLOAT_EQ(WidgetGetBounds(box).left, 0.0f);
    WidgetSetBounds(box, 1, 2, 3, 4);
    EXPECT_FLOAT_EQ(WidgetGetBounds(box).top, 4.0f);
}

TEST_F(Widgets, ButtonReleasedOutsideFiresNothingAndDraggedBackFiresOnce)
{
    Widget *button = Add('Butn', kWidgetPushButton, 0, 0, "Go");
    Counter clicks;
    clicks.Install(button, kWidgetCallbackClicked);
    Mouse(kEventMouseDown, 0, 0);
    EXPECT_TRUE(WidgetGetTextRec(button)->pressed);
    EXPECT_TRUE(WidgetGetTextRec(button)->highlighted);
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
    EXPECT_EQ(clicks.count, 1);
    EXPECT_EQ(clicks.last, button);
    EXPECT_FALSE(WidgetGetTextRec(button)->highlighted);

    // A mouse-up the callback consumes is reported as taken.
    clicks.result = 0;
    EXPECT_TRUE(WidgetMouseDown(button, 0, 0, 0));
    EXPECT_TRUE(WidgetMouseUp(button, 0, 0));
    // Disabled and hidden buttons ignore the mouse.
    WidgetSetEnabled(button, false);
    Click(0, 0);
    WidgetSetEnabled(button, true);
    WidgetSetVisible(button, false);
    Click(0, 0);
    EXPECT_EQ(clicks.count, 2);
}

TEST_F(Widgets, CheckBoxTogglesOnEveryClickInside)
{
    Widget *box = Add('Chek', kWidgetCheckBox, 0, 0, "Option");
    Counter changes;
    changes.Install(box, kWidgetCallbackValueChanged);
    Click(0, 0);
    EXPECT_TRUE(WidgetIsChecked(box));
    Click(0, 0);
    EXPECT_FALSE(WidgetIsChecked(box));
    EXPECT_EQ(changes.count, 2);
    WidgetSetChecked(box, true, true);
    EXPECT_EQ(changes.count, 2);
    WidgetSetChecked(box, true, false); // no change, no dispatch
    EXPECT_EQ(changes.count, 2);
    WidgetSetChecked(box, false, false);
    EXPECT_EQ(changes.count, 3);
}

TEST_F(Widgets, RadioButtonsOfAFamilyExcludeEachOther)
{
    Widget *a = Add('RadA', kWidgetRadioButton, 0, 0.5f, "A");
    Widget *b = Add('RadB', kWidgetRadioButton, 0, 0.0f, "B");
    Widget *c = Add('RadC', kWidgetRadioButton, 0, -0.5f, "C");
    WidgetRadioButtonSetFamilyID(a, 1);
    WidgetRadioButtonSetFamilyID(b, 1);
    WidgetRadioButtonSetFamilyID(c, 2);
    EXPECT_EQ(WidgetRadioButtonGetFamilyID(b), 1);
    Counter ca, cb, cc;
    ca.Install(a, kWidgetCallbackValueChanged);
    cb.Install(b, kWidgetCallbackValueChanged);
    cc.Install(c, kWidgetCallbackValueChanged);
    WidgetSetChecked(c, true, true);

    Click(0, 0.5f);
    EXPECT_TRUE(WidgetIsChecked(a));
    EXPECT_EQ(ca.count, 1);
    // Clicking it again when checked dispatches nothing.
    Click(0, 0.5f);
    EXPECT_TRUE(WidgetIsChecked(a));
    EXPECT_EQ(ca.count, 1);

    // Checking B unchecks A (with a dispatch even when silent), not C.
    WidgetSetChecked(b, true, true);
    EXPECT_TRUE(WidgetIsChecked(b));
    EXPECT_EQ(cb.count, 0);
    EXPECT_FALSE(WidgetIsChecked(a));
    EXPECT_EQ(ca.count, 2);
    EXPECT_TRUE(WidgetIsChecked(c));
    EXPECT_EQ(cc.count, 0);

    // A 0 from the changed button's own dispatch stops the walk.
    ca.result = 0;
    WidgetSetChecked(a, true, false);
    EXPECT_TRUE(WidgetIsChecked(a));
    EXPECT_TRUE(WidgetIsChecked(b));
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
        EXPECT_TRUE(Press(input, c.key, c.modifiers));
        WidgetTextRec *rec = WidgetGetTextRec(input);
        EXPECT_STREQ(WidgetGetText(input), c.after) << c.text << " key " << int(c.key);
        EXPECT_EQ(rec->anchor, c.newAnchor) << c.text << " key " << int(c.key);
        EXPECT_EQ(rec->caret, c.newCaret) << c.text << " key " << int(c.key);
        WidgetControllerRemoveWidgetAtIndex(controller, WidgetControllerIndexForWidget(controller, input));
    }
}

TEST_F(Widgets, InsertionBeyondTheCapacityBeepsAndChangesNothing)
{
    std::string full(1023, 'a');
    Widget *input = Input("", 0, 0);
    WidgetSetText(input, (full + "overflow").c_str());
    EXPECT_EQ(std::string(WidgetGetText(input)), full);
    WidgetGetTextRec(input)->anchor = 3;
    WidgetGetTextRec(input)->caret = 3;
    EXPECT_TRUE(Press(input, 'b'));
    EXPECT_EQ(HeadlessBeepCount(), 1);
    EXPECT_EQ(std::string(WidgetGetText(input)), full);
    EXPECT_EQ(WidgetGetTextRec(input)->caret, 3);
    // Replacing a selection of one character still fits.
    WidgetGetTextRec(input)->caret = 4;
    EXPECT_TRUE(Press(input, 'b'));
    EXPECT_EQ(HeadlessBeepCount(), 1);
    EXPECT_EQ(WidgetGetText(input)[3], 'b');
    // Texts are cut to the shorter buffer of buttons too.
    Widget *button = Add(0, kWidgetPushButton, 0, 0.5f, (full + full).c_str());
    EXPECT_EQ(std::string(WidgetGetText(button)).size(), 254u);
}

TEST_F(Widgets, TypedKeysFollowTheLayoutAndControlKeysAreLeftToTheMenus)
{
    Widget *input = Input("", 0, 0);
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
    EXPECT_FALSE(WidgetGetTextRec(input)->focused);
    EXPECT_EQ(controller->focusedWidget, nullptr);
    // Without the focus keys go on to the mode.
    Key(kKeyCodeA);
    EXPECT_STREQ(WidgetGetText(input), "Ax");
}

TEST_F(Widgets, CharactersTheFontLacksNeverCrash)
{
    Widget *input = Input("", 0, 0);
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
    EXPECT_TRUE(rec->focused);
    EXPECT_EQ(controller->focusedWidget, input);
    EXPECT_EQ(rec->caret, 0);
    Mouse(kEventMouseDragged, b.right - 0.001f, y);
    EXPECT_EQ(rec->caret, 6);
    EXPECT_EQ(rec->anchor, 0);
    Mouse(kEventMouseDragged, b.right, b.top + 0.1f);
    EXPECT_EQ(rec->caret, 0);
    Mouse(kEventMouseDragged, b.left, b.bottom - 0.1f);
    EXPECT_EQ(rec->caret, 6);
    Mouse(kEventMouseUp, b.left, b.bottom - 0.1f);
    EXPECT_FALSE(rec->dragging);
    // The caret blinks: shown for half a second, hidden for the next.
    WidgetRun(input, 0.25f);
    EXPECT_TRUE(rec->caretVisible);
    WidgetRun(input, 0.5f);
    EXPECT_FALSE(rec->caretVisible);
    WidgetRun(input, 0.5f);
    EXPECT_TRUE(rec->caretVisible);
}

TEST_F(Widgets, SliderFineDragging)
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
    // Plainly the value follows the pointer and stays within 0 and maximum.
    Mouse(kEventMouseDown, (b.left + b.right) / 2, 0);
    EXPECT_NEAR(WidgetGetValue(slider), 5.0f, 0.05f);
    Mouse(kEventMouseDragged, b.right + 1, 0);
    EXPECT_FLOAT_EQ(WidgetGetValue(slider), 10.0f);
    Mouse(kEventMouseDragged, b.left - 1, 0);
    EXPECT_FLOAT_EQ(WidgetGetValue(slider), 0.0f);
    Mouse(kEventMouseUp, b.left - 1, 0);
    Mouse(kEventMouseDragged, b.right, 0);
    EXPECT_FLOAT_EQ(WidgetGetValue(slider), 0.0f);
    EXPECT_GE(changes.count, 5);
    // A horizontal slider is hit a little beyond its ends.
    EXPECT_TRUE(WidgetHitTest(slider, b.right + 0.01f, 0));
    EXPECT_FALSE(WidgetHitTest(slider, b.right + 0.02f, 0));
}

TEST_F(Widgets, MaximumBelowTheValueLowersIt)
{
    Widget *slider = Add('Sldr', kWidgetSlider, 0, 0);
    WidgetSetMaximum(slider, 10);
    WidgetSetValue(slider, 8);
    WidgetSetMaximum(slider, 5);
    EXPECT_FLOAT_EQ(WidgetGetValue(slider), 5.0f);
    WidgetSetValue(slider, 7);
    EXPECT_FLOAT_EQ(WidgetGetValue(slider), 5.0f);
    Widget *bar = Add('Prog', kWidgetProgressBar, 0, 0.5f);
    WidgetSetValue(bar, 0.5f);
    WidgetSetMaximum(bar, 0.25f);
    EXPECT_FLOAT_EQ(WidgetGetValue(bar), 0.25f);
    EXPECT_FALSE(WidgetHitTest(bar, 0, 0.5f));
}

TEST_F(Widgets, HitTestAndDrawOverrides)
{
    Widget *button = Add('Butn', kWidgetPushButton, 0, 0);
    Counter hits;
    hits.result = kWidgetHitTestForceMiss;
    hits.Install(button, kWidgetCallbackHitTest);
    EXPECT_FALSE(WidgetHitTest(button, 0, 0));
    hits.result = kWidgetHitTestForceHit;
    EXPECT_TRUE(WidgetHitTest(button, 0.9f, 0.9f));
    hits.result = 1;
    EXPECT_TRUE(WidgetHitTest(button, 0, 0));

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

class Focus : public Widgets {};

TEST_F(Focus, TabCyclesThroughTextInputs)
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
    Key(kKeyCodeTab);
    EXPECT_EQ(controller->focusedWidget, third);
    EXPECT_FALSE(WidgetGetTextRec(second)->focused);
    Key(kKeyCodeTab);
    EXPECT_EQ(controller->focusedWidget, first);
    Key(kKeyCodeTab, kModifierShift);
    EXPECT_EQ(controller->focusedWidget, third);
    EXPECT_TRUE(WidgetGetTextRec(third)->focused);
    EXPECT_FALSE(WidgetGetTextRec(first)->focused);
    // Tab never reaches the text.
    EXPECT_STREQ(WidgetGetText(third), "three");
}

TEST_F(Focus, RefusedFocusIsSkipped)
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
    Key(kKeyCodeTab);
    EXPECT_EQ(controller->focusedWidget, nullptr);
    Key(kKeyCodeTab, kModifierShift);
    EXPECT_EQ(controller->focusedWidget, second);
    Key(kKeyCodeTab);
    EXPECT_EQ(controller->focusedWidget, second);
    // Hidden and disabled inputs take no focus either, and hiding blurs.
    WidgetSetVisible(second, false);
    EXPECT_EQ(controller->focusedWidget, nullptr);
    EXPECT_FALSE(WidgetFocus(second));
}

TEST_F(Focus, AClickElsewhereBlursBeforeAnyWidgetSeesIt)
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
    EXPECT_EQ(probe.focusedAtHitTest, 0);
    EXPECT_EQ(controller->focusedWidget, nullptr);
    EXPECT_TRUE(WidgetGetTextRec(button)->pressed);
    Mouse(kEventMouseUp, 0, -0.5f);
}

TEST_F(Focus, ARefusedBlurKeepsTheFocusAndGivesTheClickToNobody)
{
    Widget *input = Add('In 1', kWidgetTextInput, 0, 0.5f);
    Widget *other = Add('In 2', kWidgetTextInput, 0, 0.0f);
    Widget *button = Add('Butn', kWidgetPushButton, 0, -0.5f);
    ASSERT_TRUE(WidgetFocus(input));
    Counter refuse;
    refuse.result = 0;
    refuse.Install(input, kWidgetCallbackBlur);
    Mouse(kEventMouseDown, 0, -0.5f);
    EXPECT_FALSE(WidgetGetTextRec(button)->pressed);
    EXPECT_EQ(controller->focusedWidget, input);
    Mouse(kEventMouseUp, 0, -0.5f);
    // Another input cannot take the focus either; only one is ever marked.
    EXPECT_FALSE(WidgetFocus(other));
    EXPECT_FALSE(WidgetGetTextRec(other)->focused);
    EXPECT_TRUE(WidgetGetTextRec(input)->focused);
    Key(kKeyCodeEscape);
    EXPECT_TRUE(WidgetGetTextRec(input)->focused);
}

TEST_F(Focus, RemovingTheFocusedWidgetClearsTheFocus)
{
    Add('Butn', kWidgetPushButton, 0, -0.5f);
    Widget *input = Add('In 1', kWidgetTextInput, 0, 0.5f);
    ASSERT_TRUE(WidgetFocus(input));
    WidgetControllerRemoveWidgetAtIndex(controller, 5);  // out of range: nothing
    WidgetControllerRemoveWidgetAtIndex(controller, -1);
    EXPECT_EQ(WidgetControllerNumberOfWidgets(controller), 2);
    WidgetControllerRemoveWidgetAtIndex(controller, 1);
    EXPECT_EQ(controller->focusedWidget, nullptr);
    EXPECT_EQ(WidgetControllerNumberOfWidgets(controller), 1);
    Key(kKeyCodeA);
    Key(kKeyCodeTab);
}

class Controllers : public Widgets {};

TEST_F(Controllers, MousePositionsBecomeOverlayPoints)
{
    Rect4f b = OpenGLWindowGetBounds(window);
    float r = OpenGLWindowGetRatio(window);
    Point2f p = WidgetControllerConvertMouse(controller, Point2f{b.left, b.top});
    EXPECT_FLOAT_EQ(p.x, -r);
    EXPECT_FLOAT_EQ(p.y, 1.0f);
    p = WidgetControllerConvertMouse(controller, Point2f{(b.left + b.right) / 2, b.bottom});
    EXPECT_NEAR(p.x, 0.0f, 1e-5f);
    EXPECT_FLOAT_EQ(p.y, -1.0f);
    // The offset moves the overlay, so mouse points move against it.
    WidgetControllerSetOffset(controller, 0.5f, 0.25f);
    p = WidgetControllerConvertMouse(controller, Point2f{b.left, b.top});
    EXPECT_FLOAT_EQ(p.x, -r - 0.5f);
    EXPECT_FLOAT_EQ(p.y, 0.75f);
}

TEST_F(Controllers, AFrozenControllersButtonsDoNotReact)
{
    Widget *button = Add('Butn', kWidgetPushButton, 0, 0);
    Counter clicks;
    clicks.Install(button, kWidgetCallbackClicked);
    WidgetControllerFreeze(controller);
    EXPECT_EQ(controller->eventHandlerRef, 0);
    Click(0, 0);
    EXPECT_EQ(clicks.count, 0);
    WidgetControllerDefrost(controller);
    Click(0, 0);
    EXPECT_EQ(clicks.count, 1);
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
    PlatformWindowSetContentSize(window->window, 960, 600);
    PlatformEvent event{};
    event.kind = kEventWindowBoundsChanged;
    event.sizeChanged = true;
    HeadlessInjectEvent(event);
    HeadlessRunFor(0.0);
    ASSERT_FLOAT_EQ(OpenGLWindowGetRatio(window), 1.6f);
    EXPECT_FLOAT_EQ(WidgetGetLocation(left).x, -1.5f);
    EXPECT_FLOAT_EQ(WidgetGetLocation(right).x, 1.5f);
    EXPECT_FLOAT_EQ(WidgetGetLocation(free).x, 0.3f);
    EXPECT_FLOAT_EQ(controller->ratio, 1.6f);
    // Anchoring at a ratio of 1.6 moves a widget placed for 1.0 to its edge.
    WidgetControllerSetWidgetRelativity(controller, free, kWidgetRelativeLeft);
    EXPECT_FLOAT_EQ(WidgetGetLocation(free).x, -0.3f);
    WidgetControllerSetWidgetRelativity(controller, free, kWidgetRelativeRight);
    EXPECT_FLOAT_EQ(WidgetGetLocation(free).x, 0.9f);
    WidgetControllerSetWidgetRelativity(controller, free, kWidgetRelativeNone);
    EXPECT_FLOAT_EQ(WidgetGetLocation(free).x, 0.3f);
}

TEST_F(Anchoring, DisposingRemovesTheBoundsCallback)
{
    CallbackController *callbacks = OpenGLWindowGetCallbackController(window);
    int32_t before = callbacks->count;
    WidgetController *other = WidgetControllerAllocate(window);
    EXPECT_EQ(callbacks->count, before + 1);
    WidgetControllerDispose(other);
    EXPECT_EQ(callbacks->count, before);
}

} // namespace
