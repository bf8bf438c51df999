// Every text that mkrebrander puts in front of its user: its help, its refusals
// and warnings, and the status texts that its rebranders show unless the author
// gives others. Texts that mkebook shares are in tools/common/kit_messages.h.
// The tests pin many byte for byte.
#pragma once

#include <cstddef>
#include <string>

namespace mkrebrander_messages {

// What the main window says when the author gave no status texts: what to do next.
inline constexpr char kDefaultStatusBefore[] =
    "Click Customize to put your own texts into this E-Book, then View E-Book to see them.";
inline constexpr char kDefaultStatusAfter[] =
    "This E-Book has been customized. Click View E-Book to open it.";

inline constexpr char kUsage[] =
    "usage: mkrebrander -o OUT [--for-ebook EBOOK] [-s STAMP.json]\n"
    "                   [--ebook-file NAME --ebook-id ID --ebook-version N] [--title TEXT]\n"
    "                   [--status-before TEXT] [--status-after TEXT] [--text3 TEXT]\n"
    "                   [--allow-repeat 0|1] [-p BARE] [-e NAME]\n"
    "       mkrebrander bundle --ebook EBOOK -o FOLDER [--windows] [--force] [-s STAMP.json]\n"
    "                   [--title TEXT] [--status-before TEXT] [--status-after TEXT]\n"
    "                   [--text3 TEXT] [--allow-repeat 0|1] [-p BARE] [-e NAME]\n"
    "       mkrebrander dump REBRANDER [-e NAME] [-o FILE]\n"
    "       mkrebrander --help | --version\n"
    "\n"
    "The first form writes OUT: the bare rebrander with a stamp that ties it to one\n"
    "E-Book and carries the texts it shows. --for-ebook takes the E-Book's file name,\n"
    "identity and version from the packed E-Book itself, so the rebrander passes that\n"
    "E-Book's checks; otherwise give all three. --title is required. The E-Book must\n"
    "lie beside the rebrander under NAME. --allow-repeat 1 lets a customized E-Book be\n"
    "customized again. Stamping a stamped rebrander replaces its stamp.\n"
    "\n"
    "bundle makes FOLDER, holding a copy of EBOOK and a rebrander stamped for it, and\n"
    "an archive of it beside it: FOLDER.tar.gz, or with --windows (the Windows\n"
    "rebrander.exe) FOLDER.zip. Neither may exist yet. An E-Book already marked\n"
    "customized is refused unless --force is given.\n"
    "\n"
    "The E-Book is checked first, as `mkebook check` checks it, and BARE must be\n"
    "the bare rebrander: it carries a mark that no other program does.\n"
    "\n"
    "dump prints a rebrander's stamp as JSON, the form --stamp reads:\n"
    "  {\"ebook-file\": \"mybook\", \"ebook-id\": \"My Book 1.0\", \"ebook-version\": 3,\n"
    "   \"title\": \"My Book\", \"status-before\": \"...\", \"status-after\": \"...\",\n"
    "   \"text3\": \"\", \"allow-repeat\": 0}\n"
    "Every field of the file is optional; options given on the command line win over\n"
    "it, and --for-ebook over both.\n"
    "\n"
    "Options:\n"
    "  -o, --output PATH     the rebrander, the bundle's folder, or the dump's file\n"
    "                        (- or left out for dump: standard output)\n"
    "  -s, --stamp FILE      the stamp's fields as JSON; - reads standard input\n"
    "  -p, --program BARE    the bare rebrander to stamp\n"
    "  -e, --encoding NAME   the code page of the texts (see mkebook --help)\n"
    "  -h, --help            show this help and exit\n"
    "  -V, --version         show the version of mkrebrander and exit\n"
    "Options and operands come in any order; -- ends the options.\n"
    "\n"
    "Texts are 8-bit, in UTF-8 unless --encoding names another code page\n"
    "(windows-1252 for most Windows E-Books): texts on the command line and in the\n"
    "JSON are converted into it, and a character it cannot hold is refused. In the\n"
    "JSON, bytes that are not text in the code page are {\"base64\": \"...\"}. Without\n"
    "--encoding, command-line texts are taken byte for byte.\n"
    "\n"
    "BARE defaults to the bare rebrander installed with this tool (rebrander, or\n"
    "rebrander.exe with --windows).\n"
    "\n"
    "Exit status: 0 on success, 1 when the work failed, 2 for a usage error.\n";

// --help: the usage, then the status texts a rebrander shows by default.
inline std::string Help() {
  return std::string(kUsage) +
         "\nWithout --status-before and --status-after, the main window says\n" +
         "before customizing: " + kDefaultStatusBefore + "\n" +
         "after customizing: " + kDefaultStatusAfter + "\n";
}

inline constexpr char kVersionPrefix[] = "mkrebrander ";

// The command line.
inline constexpr char kNoArguments[] = "no arguments given";
inline constexpr char kStampingCommand[] = "stamping";  // the form without a command
inline constexpr char kDumpNeedsPath[] = "dump needs the rebrander's path";
inline constexpr char kAllowRepeatFlag[] = "--allow-repeat must be 0 or 1";
inline std::string OptionProblem(const std::string& option, const std::string& problem) {
  return "--" + option + " " + problem;
}
inline std::string ForEBookTakes(const std::string& option) {
  return "--for-ebook takes --" + option + " from the E-Book; leave it out";
}
inline std::string NoBareInstalled(const std::string& name) {
  return "no bare " + name + " installed; give --program";
}

// The stamp's fields.
inline constexpr char kFileNameWithoutFolder[] = "must be a file name without a folder";
inline std::string IdTooLong(size_t size, size_t most) {
  return "is " + std::to_string(size) + " bytes long; at most " + std::to_string(most) +
         " fit, or it matches no E-Book";
}
inline constexpr char kTheFileName[] = "the file name ";

// Programs to stamp and stamps to dump.
inline constexpr char kEBookNotBare[] =
    "is an E-Book, not the bare rebrander (give the rebrander as --program)";
inline constexpr char kNotBare[] =
    "is not a bare rebrander program (give the rebrander as --program)";
inline std::string SignatureLeftOut(const std::string& input, const std::string& output) {
  return input + " was signed; its signature does not cover the new stamp and was left out: sign " +
         output + " again";
}
inline constexpr char kNoStamp[] = "carries no stamp";
inline constexpr char kCannotBeRead[] = "cannot be read";

// Bundles.
inline constexpr char kBundleCustomized[] =
    "is already marked customized, and its buyers could not customize it; "
    "bundle the E-Book before customizing it, or give --force";
inline constexpr char kNonAsciiOnWindows[] =
    "texts beyond ASCII without --encoding are shown as UTF-8 bytes "
    "on Windows; name the E-Book's code page, such as --encoding windows-1252";
inline constexpr char kAlreadyExists[] = "already exists";
inline constexpr char kCannotCreateFolder[] = "cannot create a folder there";
inline constexpr char kCannotCopy[] = "cannot copy";
inline constexpr char kCannotRunTar[] = "cannot run tar (is it installed?)";
inline constexpr char kTarFailed[] = "tar failed to write the archive";
inline constexpr char kZipTooLarge[] = "4 GiB or more cannot be stored";

}  // namespace mkrebrander_messages
