// The fields of a rebrander's stamp, gathered from a JSON file, the command
// line and the E-Book it is made for, and shown as the same JSON:
//
//   {"ebook-file": "mybook", "ebook-id": "My Book 1.0", "ebook-version": 3,
//    "title": "My Book", "status-before": "...", "status-after": "...",
//    "text3": "", "allow-repeat": 0}
//
// The keys are the names of the command-line options without "--". Texts take
// the JSON form of tools/common/json_fields.h.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "formats/info_records.h"
#include "tools/common/text_codec.h"
#include "tools/mkebook/ebook_package.h"

namespace stamping {

struct Stamp {
  formats::CInfoBlock info;
  int32_t version = 0;
};

// Every key, in the order they are shown.
const std::vector<std::string>& StampKeys();

std::string StampToJson(const Stamp& stamp, const tool_files::TextCodec& codec);

// The fields the JSON holds replace those of `stamp` and join `given`. A field
// unknown, of the wrong type or out of range (allow-repeat 0 or 1, the file
// name and identity as above) fails: false, with a one-line reason naming the
// field in `error`.
bool StampFromJson(const std::string& json, const tool_files::TextCodec& codec, Stamp& stamp,
                   std::set<std::string>& given, std::string& error);

// What is wrong with the E-Book's file name or identity, or "": a name with a
// folder in it (`asGiven` is the UTF-8 text it was given as, or ""), an
// identity longer than the trailer holds.
std::string EBookFileProblem(const std::string& stored, const std::string& asGiven);
std::string EBookIdProblem(const std::string& id);

// Sets one field from a command-line value: texts are converted from UTF-8
// into the code page, unless `raw`, when they are taken as they are.
bool SetStampField(const std::string& key, const std::string& value,
                   const tool_files::TextCodec& codec, bool raw, Stamp& stamp, std::string& error);

// Takes the E-Book's file name, identity and version from the packed E-Book
// itself, so that the rebrander passes that E-Book's checks.
// The file name is converted into the code page like any other text.
// `package` receives the E-Book's package.
bool StampForEBook(const std::string& ebookPath, const tool_files::TextCodec& codec, bool raw,
                   Stamp& stamp, std::set<std::string>& given, packing::EBookPackage& package,
                   std::string& error);

}  // namespace stamping
