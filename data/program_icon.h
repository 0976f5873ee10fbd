// The program's own icon, as the window shows it: a 32 x 32 image of at most
// 256 colours, drawn as data/icons/vostrel.svg and built into the program.
#pragma once

class QIcon;
class QImage;

namespace vostrel {

// The 32 x 32 icon image in its 256-colour form (QImage::Format_Indexed8).
QImage ProgramIconImage();

QIcon ProgramIcon();

}  // namespace vostrel
