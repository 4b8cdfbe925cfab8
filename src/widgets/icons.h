#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

// The tool's icons and pictures, drawn by the tool itself. The standard file
// commands use the desktop's icon theme where there is one.
namespace Icons {

// Tool bar and menus.
QIcon NewConfig();
QIcon OpenFile();
QIcon SaveFile();
QIcon Connection();
QIcon ReadConfig();
QIcon WriteConfig();
QIcon ApplyConfig();

// Page tabs.
QIcon PageTests();
QIcon PageConfig();
QIcon PageModbus();
QIcon PageInputs();
QIcon PageOutputs();
QIcon PageStructure();
QIcon PageSignalling();
QIcon PageExternalNet();

QIcon AppIcon();
// The application icon drawn at exactly size × size pixels (for the
// desktop's icon theme).
QImage AppIconImage(int size);

// The one list of pictures shared by menus, buttons and grids, 16 × 16 each.
enum PictureIndex {
    LampGreen = 0,
    LampYellow = 1,
    LampRed = 2,
    LampLightGrey = 3,
    LampOrange = 4,
    LampMagenta = 5,
    ContactOpen = 6,
    ContactClosed = 7,
};
constexpr int PictureCount = 8;
constexpr int PictureSize = 16;

// A picture of the list; a null pixmap for an index outside it.
QPixmap Picture(int index);
// The lamp colours of pictures 0 to 5.
QColor LampColour(int index);

// The fill buttons' picture, 29 × 17: a pencil over a sheet with a small
// downward arrow to its right.
QPixmap FillButtonPicture();

}  // namespace Icons
