#!/usr/bin/env python3
"""Writes skin/XML/DeviceXml/keyboarddevice.xml, the keyboard's page, from the key geometry
table below.

The picture holds the keyboard's 126 keys (key indices 0 to 125). Each key is one
"DeviceKeyButton" named "key_" + n with the user data "light_" + n, so it is key button n and
light button n at once; all of them sit directly inside the select panel "device_key_light".
The layout is a full-size board with a column of five macro keys on the left, a media row
above the number pad, the international keys in their usual places (Yen and the ISO hash key
beside Enter, the ISO backslash and Ro on the Shift row, Muhenkan, Henkan and Kana around the
space bar, the Korean keys beside the Up arrow) and a profile key above the macro column.
Key index n follows the factory key codes of the keyboard (Escape 0, F1-F12 1-12, ...).

Below the picture: the pages the profile panel's tabs switch between (light, key assignment,
macros, cursor, and the keyboard's system settings: repeat rate and delay with a test box,
6-key, W-key and Windows-key flags, polling rate) and the hidden "text_test" label.

Run from the repository root:  python3 scripts/make_keyboard_page.py
"""
import os
import sys
from xml.sax.saxutils import escape

UNIT = 22  # pixels per key unit at 96 DPI
GAP = 2  # pixels between neighbouring keys
MACRO_X = 0.0
MAIN_X = 1.25  # the main block starts after the macro column
NAV_X = MAIN_X + 15.25
PAD_X = NAV_X + 3.25
FUNCTION_ROW_GAP = 0.5


def row_y(row):
    """Rows 1..5 sit half a unit below the function row."""
    return 0.0 if row == 0 else row + FUNCTION_ROW_GAP


def run(start_x, row, keys):
    """Keys side by side from start_x: (index, label, width) or a float for a gap."""
    out = []
    x = start_x
    for key in keys:
        if isinstance(key, float):
            x += key
            continue
        index, label, width = key
        out.append((index, label, x, row_y(row), width, 1.0))
        x += width
    return out


def key_table():
    keys = []
    # Function row: Escape, F1-F12 in groups of four, the three system keys, the media keys.
    keys += run(MAIN_X, 0, [(0, "Esc", 1), 1.0,
                            (1, "F1", 1), (2, "F2", 1), (3, "F3", 1), (4, "F4", 1), 0.5,
                            (5, "F5", 1), (6, "F6", 1), (7, "F7", 1), (8, "F8", 1), 0.5,
                            (9, "F9", 1), (10, "F10", 1), (11, "F11", 1), (12, "F12", 1)])
    keys += run(NAV_X, 0, [(13, "Prt", 1), (14, "Scr", 1), (15, "Pau", 1)])
    keys += run(PAD_X, 0, [(16, "LED", 0.8), (17, "GM", 0.8), (18, "|<", 0.8),
                           (19, ">", 0.8), (20, ">|", 0.8)])
    keys += [(104, "P", MACRO_X, row_y(0), 1.0, 1.0)]
    # Macro column.
    for n, index in enumerate(range(120, 125)):
        keys.append((index, "M%d" % (n + 1), MACRO_X, row_y(n + 1), 1.0, 1.0))
    # Number row.
    digits = ["1", "2", "3", "4", "5", "6", "7", "8", "9", "0"]
    keys += run(MAIN_X, 1, [(21, "`", 1)] + [(22 + i, d, 1) for i, d in enumerate(digits)] +
                [(32, "-", 1), (33, "=", 1), (101, "¥", 1), (34, "Bk", 1)])
    keys += run(NAV_X, 1, [(35, "Ins", 1), (36, "Hm", 1), (37, "PU", 1)])
    keys += run(PAD_X, 1, [(38, "NL", 1), (39, "/", 1), (40, "*", 1), (41, "-", 1)])
    # Tab row.
    letters = "QWERTYUIOP"
    keys += run(MAIN_X, 2, [(42, "Tab", 1.5)] + [(43 + i, c, 1) for i, c in enumerate(letters)] +
                [(53, "[", 1), (54, "]", 1), (55, "\\", 1.5)])
    keys += run(NAV_X, 2, [(56, "Del", 1), (57, "End", 1), (58, "PD", 1)])
    keys += run(PAD_X, 2, [(59, "7", 1), (60, "8", 1), (61, "9", 1)])
    keys.append((119, "+", PAD_X + 3, row_y(2), 1.0, 2.0))
    # Caps Lock row.
    letters = "ASDFGHJKL"
    keys += run(MAIN_X, 3, [(63, "Caps", 1.75)] + [(64 + i, c, 1) for i, c in enumerate(letters)] +
                [(73, ";", 1), (74, "'", 1), (62, "#", 1), (75, "Enter", 1.25)])
    keys += run(PAD_X, 3, [(76, "4", 1), (77, "5", 1), (78, "6", 1)])
    # Shift row.
    letters = "ZXCVBNM"
    keys += run(MAIN_X, 4, [(84, "Shift", 1.25), (102, "\\", 1)] +
                [(85 + i, c, 1) for i, c in enumerate(letters)] +
                [(92, ",", 1), (93, ".", 1), (94, "/", 1), (100, "Ro", 1), (95, "Shift", 1.75)])
    keys += run(NAV_X, 4, [(81, "Hn", 1), (96, "^", 1), (82, "Hj", 1)])
    keys += run(PAD_X, 4, [(97, "1", 1), (98, "2", 1), (99, "3", 1)])
    keys.append((118, "Ent", PAD_X + 3, row_y(4), 1.0, 2.0))
    # Bottom row.
    keys += run(MAIN_X, 5, [(105, "Ctrl", 1.25), (106, "Win", 1.25), (107, "Alt", 1.25),
                            (80, "Mu", 1), (108, "", 3.25), (79, "He", 1), (83, "Ka", 1),
                            (109, "Alt", 1), (110, "Fn", 1), (111, "Mn", 1),
                            (125, "Win", 1), (112, "Ctrl", 1)])
    keys += run(NAV_X, 5, [(113, "<", 1), (114, "v", 1), (115, ">", 1)])
    keys += run(PAD_X, 5, [(116, "0", 1), (103, ",", 1), (117, ".", 1)])
    return keys


def check(keys):
    indices = sorted(k[0] for k in keys)
    if indices != list(range(126)):
        missing = sorted(set(range(126)) - set(indices))
        raise SystemExit("key table: indices missing %s or repeated" % missing)
    rects = [pixel_rect(k) for k in keys]
    for i, a in enumerate(rects):
        for j in range(i + 1, len(rects)):
            b = rects[j]
            if a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and \
                    b[1] < a[1] + a[3]:
                raise SystemExit("keys %d and %d overlap" % (keys[i][0], keys[j][0]))


def pixel_rect(key):
    _, _, x, y, w, h = key
    left = round(x * UNIT)
    top = round(y * UNIT)
    return (left, top, round((x + w) * UNIT) - left - GAP, round((y + h) * UNIT) - top - GAP)


def prop(name, kind, value, dynamic=False):
    stdset = ' stdset="0"' if dynamic else ""
    return '<property name="%s"%s><%s>%s</%s></property>' % (name, stdset, kind, value, kind)


def geometry(x, y, w, h):
    return ('<property name="geometry"><rect><x>%d</x><y>%d</y><width>%d</width>'
            '<height>%d</height></rect></property>' % (x, y, w, h))


def size_props(w, h):
    return (prop("minimumSize", "size", "<width>%d</width><height>%d</height>" % (w, h)) +
            prop("maximumSize", "size", "<width>%d</width><height>%d</height>" % (w, h)))


def key_buttons(keys, indent):
    lines = []
    for index, label, *_ in sorted(keys, key=lambda k: k[0]):
        x, y, w, h = pixel_rect((index, label) + tuple(_))
        lines.append('%s<widget class="DeviceKeyButton" name="key_%d">%s%s%s%s</widget>' % (
            indent, index, geometry(x, y, w, h), prop("text", "string", escape(label)),
            prop("userdata", "string", "light_%d" % index, True),
            prop("role", "string", "key", True)))
    return "\n".join(lines)


def label(name, text_id, extra=""):
    return ('<widget class="QLabel" name="%s">%s%s%s</widget>' % (
        name, prop("text", "string", text_id), prop("restext", "bool", "true", True), extra))


def plain_label(name):
    """A label the code writes (already translated)."""
    return '<widget class="QLabel" name="%s">%s</widget>' % (name, prop("text", "string", ""))


def option(name, text, group="", text_is_id=True):
    extra = prop("checkable", "bool", "true") + prop("role", "string", "chip", True)
    if group:
        extra += prop("group", "string", group, True)
    if text_is_id:
        extra += prop("restext", "bool", "true", True)
    return '<widget class="QPushButton" name="%s">%s%s</widget>' % (
        name, prop("text", "string", escape(text)), extra)


def hbox(name, items, spacing=6):
    body = "".join("<item>%s</item>" % item for item in items)
    return ('<layout class="QHBoxLayout" name="%s">%s%s</layout>' % (
        name, prop("spacing", "number", spacing), body))


def margins(value):
    """The same margin on the four sides of a layout."""
    return "".join(prop(m, "number", value) for m in (
        "leftMargin", "topMargin", "rightMargin", "bottomMargin"))


def stretch(name):
    return ('<spacer name="%s"><property name="orientation"><enum>Qt::Horizontal</enum>'
            '</property></spacer>' % name)


def settings_block():
    caption = prop("role", "string", "muted", True)
    rate = ('<widget class="QSlider" name="repeat_rate_slider">%s%s%s%s</widget>' % (
        prop("orientation", "enum", "Qt::Horizontal"), prop("minimum", "number", 0),
        prop("maximum", "number", 31),
        prop("minimumSize", "size", "<width>140</width><height>0</height>")))
    delays = [option("repeat_delay_check_%d" % d, "%dms" % ((d + 1) * 250),
                     "kb_repeat_delay_group", False) for d in range(4)]
    polling = [option("polling_rate_option_%d" % n, text, "kb_polling_rate_group", False)
               for n, text in enumerate(["1000Hz", "500Hz", "250Hz", "125Hz"])]
    test_box = ('<widget class="QTextEdit" name="repeat_input_richedit">%s%s%s</widget>' % (
        size_props(240, 34), prop("verticalScrollBarPolicy", "enum", "Qt::ScrollBarAlwaysOff"),
        prop("horizontalScrollBarPolicy", "enum", "Qt::ScrollBarAlwaysOff")))
    reset = ('<widget class="QPushButton" name="reset_repeat_btn">%s%s%s</widget>' % (
        prop("text", "string", "kb_reset_repeat_text"), prop("restext", "bool", "true", True),
        prop("role", "string", "chip", True)))
    rows = [
        hbox("kb_repeat_rate_row", [label("kb_repeat_rate_caption", "kb_repeat_rate_text",
                                          caption), rate,
                                    plain_label("repeat_delay_time_label1"),
                                    stretch("kb_repeat_rate_end")]),
        hbox("kb_repeat_delay_row",
             [label("kb_repeat_delay_caption", "kb_repeat_delay_text", caption)] + delays +
             [stretch("kb_repeat_delay_end")]),
        hbox("kb_repeat_test_row", [test_box, reset, stretch("kb_repeat_test_end")]),
        hbox("kb_flags_row", [option("6flag_option", "kb_6flag_text"),
                              option("wflag_option", "kb_wflag_text"),
                              option("winlockflag_option", "kb_winlock_text"),
                              stretch("kb_flags_end")]),
        hbox("kb_polling_row",
             [label("kb_polling_rate_caption", "kb_polling_rate_text", caption)] + polling +
             [stretch("kb_polling_end")]),
    ]
    body = "".join("<item>%s</item>" % row for row in rows)
    return ('<widget class="QWidget" name="kb_system_settings">%s'
            '<layout class="QVBoxLayout" name="kb_system_settings_layout">%s%s%s</layout>'
            '</widget>' % (prop("role", "string", "panel", True), prop("spacing", "number", 6),
                           margins(10), body))


def stack_page(name):
    """An empty page of a function switch."""
    return '<widget class="QWidget" name="%s"/>' % name


def function_switch():
    """The pages the profile panel's tabs choose (SetFunctionPage): "device_function_switch"
    holds the key pages (the lighting panel, then key assignment: "device_key_function_switch"),
    the macro editor, the cursor page and the system settings, in that order. The lighting
    panel fills its page without margins: in the music modes it needs every line of the
    window's height."""
    key_pages = ('<widget class="QStackedWidget" name="device_key_function_switch">%s%s</widget>'
                 % ('<widget class="QWidget" name="kb_light_page"><layout class="QVBoxLayout"'
                    ' name="kb_light_page_layout">%s<item>'
                    '<widget class="LightSetControlUI" name="LightControlItem"/>'
                    '</item></layout></widget>' % margins(0),
                    '<widget class="KeySetControlUI" name="KeySetControlItem"/>'))
    return ('<widget class="QStackedWidget" name="device_function_switch">%s%s%s%s</widget>' % (
        key_pages, '<widget class="MacroSetControlUI" name="MacroControlItem"/>',
        stack_page("kb_cursor_page"), settings_block()))


def page(keys):
    width = max(pixel_rect(k)[0] + pixel_rect(k)[2] for k in keys) + GAP
    height = max(pixel_rect(k)[1] + pixel_rect(k)[3] for k in keys) + GAP
    text_test = label("text_test", "", prop("visible", "bool", "false"))
    margins = "".join(prop(m, "number", v) for m, v in (
        ("leftMargin", 16), ("topMargin", 16), ("rightMargin", 16), ("bottomMargin", 12)))
    return """<?xml version="1.0" encoding="UTF-8"?>
<!-- The keyboard's page. Written by scripts/make_keyboard_page.py from its key geometry
     table: edit the script, not this file. -->
<ui version="4.0">
 <class>device_page</class>
 <widget class="SkelmoraKeyboardDevice" name="device_page">
  {geometry}
  <layout class="QVBoxLayout" name="device_page_layout">
   {spacing}{margins}
   <item>
    {title}
   </item>
   <item>
    {state}
   </item>
   <item>
    <widget class="DeviceProfileUI" name="DeviceProfileItem"/>
   </item>
   <item alignment="Qt::AlignHCenter">
    <widget class="SelectPanel" name="device_key_light">
     {panel_size}
{buttons}
    </widget>
   </item>
   <item>
    {settings}
   </item>
   <item>
    {text_test}
   </item>
  </layout>
 </widget>
</ui>
""".format(geometry=geometry(0, 0, 600, 488), spacing=prop("spacing", "number", 6),
           margins=margins,
           title=label("device_page_title", "kb_device_name_text",
                       prop("role", "string", "title", True) +
                       prop("fontid", "number", 4, True)),
           state=label("device_page_state", "device_connected_text",
                       prop("role", "string", "muted", True)),
           panel_size=size_props(width, height), buttons=key_buttons(keys, "     "),
           settings=function_switch(), text_test=text_test)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    keys = key_table()
    check(keys)
    target = os.path.join(root, "skin", "XML", "DeviceXml", "keyboarddevice.xml")
    with open(target, "w", encoding="utf-8") as out:
        out.write(page(keys))
    print("wrote %s (%d keys)" % (os.path.relpath(target, root), len(keys)), file=sys.stderr)


if __name__ == "__main__":
    main()
