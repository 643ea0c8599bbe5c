// The media core in one include: media and their life, image files, sectors and the
// VTOC, catalogs, file load and save, catalog operations, change of place, messages.
#pragma once

#include "core/catalog_ops.h"
#include "core/catalog_read.h"
#include "core/catalog_sort.h"
#include "core/change_dir.h"
#include "core/file_control_messages.h"
#include "core/file_rewrite.h"
#include "core/file_transfer.h"
#include "core/image_file.h"
#include "core/image_form.h"
#include "core/media_lifecycle.h"
#include "core/volume_name.h"
#include "core/vtoc.h"
#include "core/world_formats.h"
