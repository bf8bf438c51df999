// What the E-Book operations tell the user.
#pragma once

namespace ebook {

// Validate: "The E-Book, " + file name + one of the suffixes.
inline constexpr char kEBookPrefix[] = "The E-Book, ";
inline constexpr char kNotFoundSuffix[] =
    ",  could not be found.\n\nPlease ensure that the E-Book is placed in the ";
// Follows the rebrander's folder in the "could not be found" text.
inline constexpr char kNotFoundFolderEnd[] = " folder.";
inline constexpr char kCorruptSuffix[] =
    ",  appears to be corrupt or possibly designed for a different version of this Rebrander "
    "program.\n\nPlease ensure that the E-Book and this program are versions created at the same "
    "time, and are both placed in the same directory.\n\nIf you downloaded the E-Book or this "
    "program from the Internet, you may need to download them again.";
inline constexpr char kDifferentEBookSuffix[] =
    ",  appears to be for a different E-Book than the one that this Rebrander program was created "
    "for.";
inline constexpr char kDifferentVersionSuffix[] =
    ",  appears to be a different version than expected by this Rebrander program.\n\nIf you "
    "downloaded the E-Book or this program from the Internet, you may need to download them "
    "again. In this case, please be sure to download the corresponding versions of both the "
    "E-Book and this program.";

inline constexpr char kAlreadyRunning[] =
    "The E-Book is already running. Please close it down before try to customize it.";

inline constexpr char kErrorReadingEBook[] =
    "Error reading E-Book EXE.\n\nIf you downloaded the E-Book or this program from the Internet, "
    "you may need to download them again.";
inline constexpr char kCantOpenForWriting[] =
    "Can't open E-Book for writing.\n\nIf it is running, please close it and try again.";
inline constexpr char kErrorWritingEBook[] =
    "Error writing E-Book EXE.\n\nSorry, as a result of this error, it is possible that the E-Book "
    "EXE may no longer function correctly.\n\nPlease check free disk space on your computer, and "
    "it may help to reboot.\n\nIf you downloaded the E-Book or this program from the Internet, you "
    "may need to download them again.";

// After a customization that was cut short (the program killed, the machine
// losing power) has been rolled back.
inline constexpr char kInterruptedStoreUndone[] =
    "The last customization of the E-Book was interrupted before it could finish. The E-Book is "
    "as it was before that customization.\n\nYou can simply customize it again.";

// A journal left beside the E-Book that recovery may not apply; the E-Book
// is left as it is, which may be half-written.
inline constexpr char kJournalOfNewerVersion[] =
    "The E-Book could not be checked for an interrupted customization, since the journal beside "
    "it was written by a newer version of this program.\n\nThe E-Book can still be viewed. To "
    "customize it, please use that newer version.";
inline constexpr char kJournalNotTrusted[] =
    "The E-Book could not be checked for an interrupted customization, since the journal beside "
    "it is not a plain file that only you or the E-Book's owner could have written. It was left "
    "as it is.\n\nThe E-Book can still be viewed, but not customized while that journal is "
    "there.";

// LaunchEBook: "Can't start " + path + one of the ends, by why the system
// could not start it; any other failure is "Unable to start " + path.
inline constexpr char kCantStart[] = "Can't start ";
inline constexpr char kStartOutOfResourcesEnd[] = ", out of memory or resources.";
inline constexpr char kStartFileNotFoundEnd[] = ", as the file was not found.";
inline constexpr char kStartPathNotFoundEnd[] = ", as the path was not found.";
inline constexpr char kStartBadFormatEnd[] = ", the program appears to be corrupted or invalid.";
inline constexpr char kUnableToStart[] = "Unable to start ";

}  // namespace ebook
