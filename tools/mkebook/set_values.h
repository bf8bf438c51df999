// Customizing without the wizard: new values for an E-Book's variables, stored
// in place through the rebrander's own crash-safe store and journal, or written
// into one customized copy per value set.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "formats/variable_table.h"
#include "tools/common/text_codec.h"

namespace packing {

// Ident and value, both in the E-Book's code page.
using ValueSet = std::vector<std::pair<std::string, std::string>>;

// "IDENT=VALUE" arguments: converted from UTF-8 into the code page, or taken
// byte for byte when `raw`.
bool ValuesFromArguments(const std::vector<std::string>& args, const tool_files::TextCodec& codec,
                         bool raw, ValueSet& values, std::string& error);
// A JSON object of ident to value, texts in the JSON form of the dump.
bool ValuesFromJson(const std::string& json, const tool_files::TextCodec& codec, ValueSet& values,
                    std::string& error);

// Each ident must name an editable variable; the table is then marked
// customized, as the wizard marks it. A table marked already is refused
// unless `force`.
bool ApplyValues(const ValueSet& values, bool force, formats::CVariableTable& table,
                 std::string& error);

// In place, as the rebrander stores: an interrupted store rolled back first,
// an E-Book in use refused, and every problem told through the installed user
// interface. True when the values are stored.
bool SetValuesInPlace(const std::string& path, const ValueSet& values, bool force);

// One copy of `ebook` per line of `lines` (JSON Lines, each line an object as
// ValuesFromJson reads; blank lines skipped) as FOLDER/N/<E-Book's name>, N
// counting the sets from 1, zero-padded. Shows progress on a terminal. Every
// line is checked before any copy is written. On failure returns false with
// one line in `error`.
bool MakeCustomizedCopies(const std::string& ebook, const std::string& lines,
                          const std::string& folder, const tool_files::TextCodec& codec, bool force,
                          std::string& error);

}  // namespace packing
