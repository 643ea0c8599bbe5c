// The media core in one include: media, image files, sectors and the VTOC, messages.
#pragma once

#include "core/file_control_messages.h"
#include "core/image_file.h"
#include "core/media_lifecycle.h"
#include "core/vtoc.h"
#include "core/world_formats.h"
