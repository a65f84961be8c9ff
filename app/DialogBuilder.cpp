#include "app/DialogBuilder.h"

#include "app/Controls.h"
#include "app/Fonts.h"

#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {
// number * numerator / denominator rounded to the nearest integer, halves up; template units are
// never negative.
int MulDiv(int number, int numerator, int denominator)
{
    return (2 * number * numerator + denominator) / (2 * denominator);
}
} // namespace

// Each of the four on its own, rounded to the nearest pixel: the right edge is not x + width
// rounded once, so neighbours may touch or leave a pixel between them as on the platform itself.
QRect DialogUnits::ToPixels(int x, int y, int width, int height) const
{
    return QRect(MulDiv(x, baseX, 4), MulDiv(y, baseY, 8), MulDiv(width, baseX, 4), MulDiv(height, baseY, 8));
}

DialogUnits DialogUnitsOf(const QFont& font)
{
    // The average width of the 52 letters, rounded, and the font's height.
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogUnits{(letters / 26 + 1) / 2, metrics.height()};
}

QFont TemplateFont(const DialogTemplate& dialogTemplate)
{
    QFont font(QString::fromLatin1(dialogTemplate.fontFace));
    font.setPointSize(dialogTemplate.fontPoints);
    // The faces the templates name are narrow; their usual stand-ins are not, and would make the
    // plan dialog wider than a small screen.
    if (UseInstalledFace(font))
        font.setStretch(QFont::SemiCondensed);
    return font;
}

namespace {
// A static of at most one text line: it neither wraps nor may need more than one.
bool IsOneLine(const ControlTemplate& control) { return control.height <= 12; }

QWidget* CreateControl(const ControlTemplate& control, QWidget* parent)
{
    const QString text = QString::fromLatin1(control.text);
    const unsigned styles = control.styles;
    switch (control.kind) {
    case ControlClass::Static: {
        auto* label = new QLabel(text, parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(!IsOneLine(control));
        label->setAlignment(((styles & Style::Center) ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
        return label;
    }
    case ControlClass::Edit: {
        if (styles & Style::Multiline) {
            auto* edit = new MultiLineEdit((styles & Style::WantReturn) != 0, parent);
            edit->setVerticalScrollBarPolicy((styles & Style::VScroll) ? Qt::ScrollBarAlwaysOn
                                                                       : Qt::ScrollBarAlwaysOff);
            edit->setHorizontalScrollBarPolicy((styles & Style::HScroll) ? Qt::ScrollBarAlwaysOn
                                                                         : Qt::ScrollBarAlwaysOff);
            return edit;
        }
        auto* edit = new QLineEdit(parent);
        TakeAnyLength(*edit);
        return edit;
    }
    case ControlClass::ListBox: {
        auto* list = new OneLineList((styles & Style::Sort) != 0, parent);
        list->setVerticalScrollBarPolicy((styles & Style::VScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        return list;
    }
    case ControlClass::ComboBox: return new DestinationBox(parent);
    case ControlClass::Button:
        if (styles & Style::GroupBox)
            return new QGroupBox(text, parent);
        auto* button = new QPushButton(text, parent);
        button->setDefault((styles & Style::DefPushButton) != 0);
        return button;
    }
    return nullptr;
}

// Where the face the template names is missing, its stand-in may set wider text than the average
// character width promises. The horizontal unit then grows until every label and button text
// fits its rectangle, so the layout keeps its proportions and nothing is cut off.
int FittingBaseX(const DialogTemplate& dialogTemplate, const QFont& font, DialogUnits units)
{
    const QFontMetrics metrics(font);
    int baseX = units.baseX;
    for (const ControlTemplate& control : dialogTemplate.controls) {
        const int textWidth = metrics.horizontalAdvance(QString::fromLatin1(control.text));
        if (textWidth == 0 || control.width <= 0)
            continue;
        int needed = 0; // pixels the text needs on one line
        if (control.kind == ControlClass::Static) {
            const int lines =
                IsOneLine(control) ? 1 : std::max(1, control.height * units.baseY / 8 / metrics.lineSpacing());
            needed = lines == 1 ? textWidth + 4 : textWidth * 5 / (4 * lines);
        } else if (control.kind == ControlClass::Button) {
            needed = textWidth + ((control.styles & Style::GroupBox) ? 24 : 12);
        }
        baseX = std::max(baseX, (needed * 4 + control.width - 1) / control.width);
    }
    return std::min(baseX, units.baseX * 2);
}
} // namespace

QHash<int, QWidget*> BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate)
{
    const QFont font = TemplateFont(dialogTemplate);
    dialog.setFont(font);
    DialogUnits units = DialogUnitsOf(font);
    units.baseX = FittingBaseX(dialogTemplate, font, units);
    return BuildDialog(dialog, dialogTemplate, units);
}

QHash<int, QWidget*> BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate, DialogUnits units)
{
    dialog.setWindowTitle(QString::fromLatin1(dialogTemplate.caption));
    dialog.setObjectName(QStringLiteral("IDD_%1").arg(dialogTemplate.id));
    dialog.setFixedSize(units.ToPixels(0, 0, dialogTemplate.width, dialogTemplate.height).size());

    QHash<int, QWidget*> controls;
    QWidget* previousTabStop = nullptr;
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* widget = CreateControl(control, &dialog);
        widget->setGeometry(units.ToPixels(control.x, control.y, control.width, control.height));
        if (control.name)
            widget->setObjectName(QString::fromLatin1(control.name));
        if (control.styles & Style::TabStop) {
            widget->setFocusPolicy(Qt::StrongFocus);
            if (previousTabStop)
                QWidget::setTabOrder(previousTabStop, widget);
            previousTabStop = widget;
        } else {
            widget->setFocusPolicy(Qt::NoFocus);
        }
        if (control.id != -1)
            controls.insert(control.id, widget);
    }
    return controls;
}
