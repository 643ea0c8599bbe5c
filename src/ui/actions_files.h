// The actions that change files and media: copy and move between the panels, rename
// and retype, lock and unlock, make a catalog, delete and undelete, and create, clean
// and rename images, and blend reads of one disk into one image.
#pragma once

#include "ui/interface_formats.h"

namespace agat {

// True when an entry of the catalog is marked.
bool ISSELECT(const TCAT& CAT);

// ARG 0 copies, 1 moves the marked entries (or the cursor entry) to the other panel.
void AC_COPYMOVE(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);
// ARG -1 unlocks, 1 locks, 0 switches the lock.
void AC_RELOCK(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);
void AC_RENAME(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);
void AC_MAKEDIR(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);
void AC_DELETE(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);
void AC_UNDELETE(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);
void AC_CLEANMEDIA(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);
// ARG is the image type, one that IMAGEDESC calls creatable.
void AC_CREATEMEDIA(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);
void AC_REVOLUME(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);
// A new image holding the DOS of the image under the cursor of a host panel, in a form of its
// size that the user picks, with its volume name.
void AC_CREATEBOOTMEDIA(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);
// Blends the marked image files of a host panel into one image of the first one's form, in
// the other panel's folder when it shows one (else beside them), and shows the report.
void AC_BLENDMEDIA(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);

}  // namespace agat
