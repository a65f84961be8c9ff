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

// The styles the builder acts on; a control without them is a left-aligned label, a single-line
// edit, an unsorted list or a push button, never a tab stop.
namespace Style {
enum : unsigned {
    TabStop = 1u << 0,
    VScroll = 1u << 1,
    HScroll = 1u << 2,
    Multiline = 1u << 3,
    WantReturn = 1u << 4,
    Sort = 1u << 5,
    GroupBox = 1u << 6,
    DefPushButton = 1u << 7,
    Center = 1u << 8,
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
// the dialog and sets its caption and its font, the template's. Returns the controls by identifier.
QHash<int, QWidget*> BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate);
// The same at given base units, whatever the font.
QHash<int, QWidget*> BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate, DialogUnits units);
