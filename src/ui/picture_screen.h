// The graphics window of the file manager: the picture hooks of the content modules
// joined to the window backends of the platform, the texts of the window in the program's
// own font, and the key "s" that saves the picture shown as a PNG file (or says that the
// build writes none).
#pragma once

#include <string>
#include <vector>

#include "content/font8.h"
#include "platform/picture_window.h"

namespace agat {

// Makes GRAPHOPEN take the first of WINDOWS that opens (tried in order at every series of
// pictures), GRAPHEXPOSE show on it and GRAPHCLOSE close it. The key "s" writes the picture
// shown into directory SAVE_DIR (ending in "/") as the Agat name made a host name plus
// ".png", never replacing a file. The windows must outlive the hooks; an empty list
// removes them.
void install_picture_windows(std::vector<PictureWindow*> windows, std::string save_dir);

// The FONT8 glyph of a character, through Windows-1251 and the Agat code; blank for a
// character that Windows-1251 lacks.
TGLYPH8 glyph_of(char32_t c);

}  // namespace agat
