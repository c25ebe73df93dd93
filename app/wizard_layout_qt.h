#pragma once

#include <QFont>
#include <QRect>

#include <cstdint>

// What the dialog templates hold, for the Qt front end: each control's kind,
// id, text and position in dialog units. The table itself is generated from
// the resource script at build time (cmake/dialog_layouts.cmake).
enum class ControlKind {
    PushButton,
    DefaultButton,
    EtchedLine,
    HiddenStatic,
    CenteredText,
    Combo,
    Progress,
    ReadOnlyEdit,
    CheckBox,
};

struct ControlTemplate {
    ControlKind kind;
    int32_t id; // 0: a label the program never changes
    const char16_t* text;
    int32_t x, y, width, height;
};

// One dialog template: its size in dialog units and its controls in order.
struct DialogLayout {
    int32_t templateId;
    int32_t width, height;
    const ControlTemplate* controls;
    int32_t count;
};

// The template with this id (IDD_MAIN or one of kPageTemplates), as the
// build read it from the resource script.
const DialogLayout& dialogLayout(int32_t templateId);

// Dialog units to pixels for a font, the way the Windows dialog manager does
// it: x * average character width / 4, y * character height / 8.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    QRect toPixels(int32_t x, int32_t y, int32_t width, int32_t height) const;
    int32_t x(int32_t du) const;
    int32_t y(int32_t du) const;

private:
    int32_t baseWidth;
    int32_t baseHeight;
};

// The frame's font ("MS Shell Dlg" 8 points or the nearest the system has)
// and the heading font (20-pixel cell, normal weight).
QFont dialogFont();
QFont headingFont();
