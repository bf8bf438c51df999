// Every text that mkebook puts in front of its user: its help, its refusals
// and its warnings. Texts that mkrebrander shares are in
// tools/common/kit_messages.h. The tests pin many byte for byte.
#pragma once

#include <cstdint>
#include <string>

namespace mkebook_messages {

inline constexpr char kUsage[] =
    "usage: mkebook pack -p PROG -t TABLE.json -o OUT [-e NAME]\n"
    "       mkebook dump EBOOK [-e NAME] [-f id|version] [-o FILE]\n"
    "       mkebook check EBOOK-or-TABLE.json [-e NAME]\n"
    "       mkebook set EBOOK IDENT=VALUE... [--values VALUES.json] [--force] [-e NAME]\n"
    "       mkebook set EBOOK --copies SETS.jsonl -o FOLDER [--force] [-e NAME]\n"
    "       mkebook --help | --version\n"
    "\n"
    "pack writes OUT: PROG with the variable table and the 104-byte trailer appended\n"
    "(an E-Book given as PROG has its old table replaced). OUT appears only when it\n"
    "is complete and keeps PROG's permissions.\n"
    "dump prints an E-Book's trailer and table as the JSON that pack reads, or one\n"
    "field of it (the identity's raw bytes, or the version). Packing a dump with the\n"
    "E-Book as PROG gives back the same file, byte for byte.\n"
    "check reads an E-Book or a table file (- reads standard input) and says what\n"
    "would ship broken, as pack and mkrebrander do before they write: refused are\n"
    "editable or rebranded other than 0 or 1, a negative version, an empty or\n"
    "repeated ident, an id over 64 bytes, a repeated JSON key, and (pack) a program\n"
    "that ends like a damaged E-Book; warned of are types outside 0 to 3 and a table\n"
    "with no editable variable.\n"
    "set customizes without the wizard: it writes the values of editable variables\n"
    "into the E-Book in place, as the rebrander does (an E-Book in use is refused,\n"
    "a store cut short is rolled back), and marks it customized; an E-Book marked\n"
    "already is refused unless --force. --values reads {\"IDENT\": \"VALUE\", ...}.\n"
    "--copies reads one such object a line and writes one customized copy for each\n"
    "into FOLDER/1/EBOOK, FOLDER/2/EBOOK, ... leaving EBOOK as it is.\n"
    "\n"
    "Options:\n"
    "  -p, --program PROG    the program to pack (a packed E-Book is repacked)\n"
    "  -t, --table FILE      the JSON table; - reads standard input\n"
    "  -o, --output FILE     pack: the E-Book to write; dump: the file for the\n"
    "                        dump (- or left out: standard output)\n"
    "  -e, --encoding NAME   the code page of the E-Book's texts (default UTF-8)\n"
    "  -f, --field id|version  dump one field only\n"
    "  -h, --help            show this help and exit\n"
    "  -V, --version         show the version of mkebook and exit\n"
    "Options and operands come in any order; -- ends the options.\n"
    "\n"
    "The JSON:\n"
    "  {\"id\": \"My Book 1.0\", \"version\": 3, \"rebranded\": 0,\n"
    "   \"opaque\": [0, 0, 0, 0, 0, 0],              (optional; the trailer's other fields)\n"
    "   \"variables\": [{\"ident\": \"title\", \"prompt\": \"Title:\", \"value\": \"My Book\",\n"
    "                  \"editable\": 1, \"type\": 0}, ...]}\n"
    "type 0 and 1 are one-line texts, 2 and 3 multi-line, others are not offered;\n"
    "editable 0 hides a variable. The id holds at most 64 bytes.\n"
    "\n"
    "Texts: the E-Book stores 8-bit text in a code page, UTF-8 unless --encoding\n"
    "names another: windows-NNNN, cpNNN, ibmNNN, Shift_JIS, GBK, GB18030, Big5,\n"
    "ISO-8859-N or KOI8-R (windows-1252 for most Windows E-Books). pack converts\n"
    "the JSON's text into it and refuses a character that it cannot hold; dump\n"
    "converts back. Bytes that are not text in the code page are dumped as\n"
    "{\"base64\": \"...\"} and packed back as they are. A text cannot hold a zero\n"
    "byte: the table ends a text at its first, so dump warns of a stored text cut\n"
    "there, and pack refuses one.\n"
    "\n"
    "Exit status: 0 on success, 1 when the work failed, 2 for a usage error.\n";

inline constexpr char kVersionPrefix[] = "mkebook ";

// The command line.
inline constexpr char kNoCommand[] = "no command given";
inline constexpr char kFieldIdOrVersion[] = "--field must be id or version";
inline constexpr char kCopiesFromFileOnly[] = "--copies takes its values from its file only";
inline constexpr char kCopiesNeedOutput[] = "--copies needs --output FOLDER";
inline constexpr char kSetWritesInPlace[] = "set writes in place; --output goes with --copies";
inline constexpr char kSetNeedsValues[] = "set needs IDENT=VALUE, --values or --copies";
inline std::string CommandNeedsOption(const std::string& command, const std::string& option) {
  return command + " needs --" + option;
}
inline std::string CommandNeedsPath(const std::string& command) {
  return command + " needs a file's path";
}
inline constexpr char kNotIdentEqualsValue[] = "not IDENT=VALUE";

// Reading and writing E-Books.
inline constexpr char kTooLargeToPack[] = "the packed E-Book would reach 2 GiB";
inline constexpr char kNoTrailer[] = "does not end with an E-Book trailer";
inline constexpr char kTwoGiBOrLarger[] = "is 2 GiB or larger";
inline constexpr char kDamagedEBookProgram[] =
    "ends like an E-Book whose trailer is cut short or damaged; pack the program it was made from";
inline constexpr char kUnreadableTableBehindTrailer[] =
    "ends with an E-Book trailer but its variable table cannot be read";
inline std::string UnreadableTable(int32_t offset) {
  return "the variable table at offset " + std::to_string(offset) + " cannot be read";
}
inline std::string TextCutAtZero(const std::string& name) {
  return name + " is stored with a zero byte inside; only the text before it is dumped";
}
inline constexpr char kSignedEBook[] =
    "is signed; do not sign E-Books: the table is rewritten by every customization, "
    "which breaks the signature (sign the rebrander instead)";

// The table, in JSON and as checked.
inline std::string VariableAt(size_t index) {
  return "variables[" + std::to_string(index) + "]";
}
inline std::string NotAnObject(const std::string& variable) {
  return variable + " must be an object";
}
inline constexpr char kOpaqueList[] = "must be a list of six 32-bit integers";
inline constexpr char kMustBeList[] = "must be a list";
inline std::string IdTooLong(size_t size, size_t most) {
  return "is " + std::to_string(size) + " bytes long; at most " + std::to_string(most) + " fit";
}
inline std::string NegativeVersion(int32_t version) {
  return "the version is " + std::to_string(version) + "; it must be 0 or more";
}
inline std::string RebrandedNotFlag(int32_t rebranded) {
  return "rebranded is " + std::to_string(rebranded) + "; it must be 0 or 1";
}
inline constexpr char kEmptyIdent[] = " has an empty ident";
inline constexpr char kGivenTwice[] = " is given twice";
inline std::string EditableNotFlag(int32_t editable) {
  return ": editable is " + std::to_string(editable) + "; it must be 0 or 1";
}
inline std::string TypeOnNoPage(int32_t type) {
  return ": type " + std::to_string(type) + " is kept but offered on no page (types are 0 to 3)";
}
inline constexpr char kNothingEditable[] = "no variable is editable: there is nothing to customize";

// Customizing with set.
inline std::string IdentProblem(const std::string& ident, const std::string& problem) {
  return "ident \"" + ident + "\" " + problem;
}
inline constexpr char kAlreadyCustomized[] =
    "is already customized (give --force to customize it again)";
inline std::string NoSuchVariable(const std::string& ident, bool existsButFixed) {
  return "has no " + std::string(existsButFixed ? "editable " : "") + "variable \"" + ident + "\"";
}
inline std::string ValueHoldsZeroByte(const std::string& ident) {
  return "variable \"" + ident + "\" must not hold a zero byte";
}
inline constexpr char kLine[] = "line ";
inline std::string OnLine(int number) {
  return kLine + std::to_string(number) + ": ";
}
inline constexpr char kCopiesProgress[] = "copies";

}  // namespace mkebook_messages
