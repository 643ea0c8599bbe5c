// The index of a collection as one JSON document (UTF-8); its schema is in the README.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "index_collection.h"

namespace agat {

std::string index_json(const CollectionIndex& index);

// The form of an image as --form names it; "" when it is not known.
std::string_view form_key(std::optional<TIMAGET> form);

}  // namespace agat
