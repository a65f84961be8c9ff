#pragma once
// Dialog templates as data, and the one builder that turns a template into real controls.
// Rectangles are in dialog units: x and width in quarters, y and height in eighths of the template
// font's average character width and height.

#include <QFont>
#include <QHash>
#include <QRect>

#include <vector>

class QDialog;
class QWidget;

enum class ControlClass { Static, Edit, ListBox, Button, ComboBox };

namespace Style {
enum : unsigned {
    TabStop = 1u << 0,
    Border = 1u << 1,
    VScroll = 1u << 2,
    HScroll = 1u << 3,
    Multiline = 1u << 4,
    WantReturn = 1u << 5,
    AutoHScroll = 1u << 6,
    Sort = 1u << 7,
    GroupBox = 1u << 8,
    PushButton = 1u << 9,
    DefPushButton = 1u << 10,
    Center = 1u << 11,
    Simple = 1u << 12,
    Group = 1u << 13,
    Notify = 1u << 14,
    NoIntegralHeight = 1u << 15,
    ModalFrameEx = 1u << 16,
};
}

struct ControlTemplate {
    int id;           // -1: no identifier
    const char* name; // the identifier's name, the control's object name; nullptr for none
    ControlClass kind;
    unsigned styles;
    const char* text;
    int x, y, width, height;
};

struct DialogTemplate {
    int id;
    const char* caption;
    int width, height;
    const char* fontFace;
    int fontPoints;
    std::vector<ControlTemplate> controls;
};

// Dialog base units of a font: the average character width and the character height in pixels.
struct DialogUnits {
    int baseX;
    int baseY;
    QRect ToPixels(int x, int y, int width, int height) const;
};
DialogUnits DialogUnitsOf(const QFont& font);

// The template's font: requested by face name and point size.
QFont TemplateFont(const DialogTemplate& dialogTemplate);

// Creates the template's controls on `dialog` in template order (which is the tab order), sizes
// the dialog and sets its caption. Returns the controls by identifier.
QHash<int, QWidget*> BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate);
