#include "report/front_panel.h"

#include "model/input_assignment.h"
#include "model/window_types.h"
#include "text/config_fields.h"

namespace {
constexpr int Margin = 8;
constexpr int NarrowWidth = 76;
constexpr int WideWidth = 2 * NarrowWidth;
constexpr int BoxHeight = 54;
constexpr int RowPitch = BoxHeight + 4;

QString ColourText(uint32_t rgb)
{
    return QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0'));
}
}  // namespace

PanelPicture FrontPanel(const ConfigImage& image, int32_t familyCode)
{
    const WindowLayout layout =
        WindowLayoutFor(uint8_t(FieldValue(Field(NamedField::WindowCount), image)), familyCode);
    const int width = layout.Wide ? WideWidth : NarrowWidth;
    PanelPicture picture;
    for (int w = 1; w <= layout.Windows; ++w) {
        const WindowPlace place = WindowPlaceIn(layout, w);
        const FieldRow& type = Field(NamedField::WindowType, w);
        const int code = FieldValue(type, image);
        PanelWindowBox box{w,
                           QRect(Margin + width * place.Column, Margin + RowPitch * place.Row,
                                 width - 2, BoxHeight),
                           WindowTypeColour(uint8_t(code)),
                           FieldValueText(type, code),
                           {}};
        picture.Windows << box;
        picture.Width = std::max(picture.Width, box.Rect.right() + 1 + Margin);
        picture.Height = std::max(picture.Height, box.Rect.bottom() + 1 + Margin);
    }
    for (int n = 1; n <= InputAssignment::Length; ++n) {
        const uint8_t code = uint8_t(FieldValue(Field(NamedField::InputAssignment, n), image));
        if (AssignmentKindOf(code) != AssignmentKind::akWindow)
            continue;
        const int window = *AssignmentNumber(code);
        if (window <= picture.Windows.size())
            picture.Windows[window - 1].Inputs << n;
    }
    return picture;
}

QString WindowInputsText(const QList<int>& inputs)
{
    if (inputs.isEmpty())
        return QStringLiteral("—");
    QStringList numbers;
    for (int n : inputs)
        numbers << QString::number(n);
    return QStringLiteral("вх. ") + numbers.join(QStringLiteral(", "));
}

QStringList PanelBoxLines(const PanelWindowBox& box)
{
    // A narrow window is too small for a type's name: its colour and the
    // table under the picture tell it.
    if (box.Rect.width() < WideWidth - 2)
        return {QString::number(box.Window), QString(), WindowInputsText(box.Inputs)};
    return {QString::number(box.Window), box.TypeText, WindowInputsText(box.Inputs)};
}

QString FrontPanelSvg(const PanelPicture& picture)
{
    QString svg = QStringLiteral(
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"front-panel\" "
                      "width=\"%1\" height=\"%2\" viewBox=\"0 0 %1 %2\" role=\"img\" "
                      "aria-label=\"Лицевая панель\">\n"
                      "<rect width=\"%1\" height=\"%2\" fill=\"#f2f2f2\"/>\n")
                      .arg(picture.Width)
                      .arg(picture.Height);
    for (const PanelWindowBox& box : picture.Windows) {
        const QRect& r = box.Rect;
        const int middle = r.left() + r.width() / 2;
        svg += QStringLiteral("<g id=\"panel-window-%1\"><title>Окно %1: %2, %3</title>")
                   .arg(box.Window)
                   .arg(box.TypeText.toHtmlEscaped(), WindowInputsText(box.Inputs));
        svg += QStringLiteral(
                   "<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\" "
                   "stroke=\"#404040\" stroke-width=\"1.5\"/>")
                   .arg(r.left())
                   .arg(r.top())
                   .arg(r.width())
                   .arg(r.height())
                   .arg(ColourText(box.Colour));
        const QStringList lines = PanelBoxLines(box);
        for (int i = 0; i < lines.size(); ++i)
            if (!lines[i].isEmpty())
                svg += QStringLiteral(
                           "<text x=\"%1\" y=\"%2\" text-anchor=\"middle\" "
                           "font-size=\"%3\"%4>%5</text>")
                           .arg(middle)
                           .arg(r.top() + 15 + 16 * i)
                           .arg(i == 0 ? 13 : 9)
                           .arg(i == 0 ? QStringLiteral(" font-weight=\"bold\"") : QString())
                           .arg(lines[i].toHtmlEscaped());
        svg += QStringLiteral("</g>\n");
    }
    return svg + QStringLiteral("</svg>\n");
}
