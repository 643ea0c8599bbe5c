// The catalogue of a collection as static HTML pages that work from the file system, with no
// server and no script from elsewhere: index.html (the images, sortable by column), a page
// for each image (its catalog and damage), a page for each file that was read (a text or
// BASIC listing as text, a binary's disassembly with its bytes, a picture as PNG), and
// duplicates.html. Every page names the image file it is about; every name is escaped.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

#include "index_collection.h"

namespace agat {

class HtmlCatalogue {
 public:
  explicit HtmlCatalogue(std::string folder) : folder_(std::move(folder)) {}

  // Makes the folder when there is none; false after a message.
  bool prepare();
  // Writes the page of each file read, from the workers' threads.
  FileVisitor file_pages();
  // Writes the index, the page of every image and the page of duplicates. False when any
  // page could not be written (each said so).
  bool finish(const CollectionIndex& index);

 private:
  // Writes a page or a picture of the catalogue; false after a message.
  bool write(const std::string& name, std::string_view bytes);

  std::string folder_;  // ends in the separator once prepared
  std::atomic<bool> failed_{false};
};

// UTF-8 (or host bytes) with &, <, >, " and ' as character references.
std::string html_escape(std::string_view text);
// Windows-1251 text as escaped UTF-8; control codes show as "?".
std::string html_text(std::string_view cp1251);

// A whole page: its title (escaped already), the image it is about and the body.
std::string html_page(const std::string& title, const std::string& image_path,
                      const std::string& body);

// The names of the pages (and pictures) of an image and of a file of it.
std::string image_page_name(std::size_t number);
std::string file_page_name(std::size_t number, std::size_t place, std::string_view suffix);

}  // namespace agat
