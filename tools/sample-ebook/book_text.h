// The sample E-Book's contents as plain text: the fixed prose of the book and
// the parts that come from its variable table. Shared by the Qt and the Win32
// window, so the book reads the same on both.
#pragma once

#include <string>

#include "tools/sample-ebook/book_messages.h"
#include "tools/sample-ebook/book_source.h"

namespace sample_ebook {

struct Chapter {
  const char* heading;
  const char* paragraphs[2];
};
inline constexpr int kChapterCount = 2;
extern const Chapter kChapters[kChapterCount];

// Why a source has nothing to show; empty when its status is kOk.
std::string NoTableReason(CBookSource::Status status);

// The whole book for a plain-text view, lines separated by CR LF; for a source
// without a table, the reason and the program's path. Table texts are taken
// as they are stored, with any lone CR or LF made a CR LF.
std::string ComposeBookText(const CBookSource& source);
// The window title: the book's title, or "Sample E-Book" without one.
std::string BookTitle(const CBookSource& source);

}  // namespace sample_ebook
