// The texts the user must see, written out here independently of the code
// that shows them. The E-Book under test is always named book.exe.
#pragma once

#include <string>

namespace ebook_testing {

inline const std::string kStart = "The E-Book, book.exe";
inline std::string NotFoundText(const std::string& folder) {
  return kStart + ",  could not be found.\n\nPlease ensure that the E-Book is placed in the " +
         folder + " folder.";
}
inline const std::string kCorrupt =
    kStart +
    ",  appears to be corrupt or possibly designed for a different version of this Rebrander "
    "program.\n\nPlease ensure that the E-Book and this program are versions created at the same "
    "time, and are both placed in the same directory.\n\nIf you downloaded the E-Book or this "
    "program from the Internet, you may need to download them again.";
inline const std::string kDifferentEBook =
    kStart +
    ",  appears to be for a different E-Book than the one that this Rebrander program was created "
    "for.";
inline const std::string kDifferentVersion =
    kStart +
    ",  appears to be a different version than expected by this Rebrander program.\n\nIf you "
    "downloaded the E-Book or this program from the Internet, you may need to download them "
    "again. In this case, please be sure to download the corresponding versions of both the "
    "E-Book and this program.";
inline const std::string kAlreadyRunning =
    "The E-Book is already running. Please close it down before try to customize it.";
inline const std::string kErrorReading =
    "Error reading E-Book EXE.\n\nIf you downloaded the E-Book or this program from the Internet, "
    "you may need to download them again.";
inline const std::string kCantOpenForWriting =
    "Can't open E-Book for writing.\n\nIf it is running, please close it and try again.";
inline const std::string kErrorWriting =
    "Error writing E-Book EXE.\n\nSorry, as a result of this error, it is possible that the E-Book "
    "EXE may no longer function correctly.\n\nPlease check free disk space on your computer, and "
    "it may help to reboot.\n\nIf you downloaded the E-Book or this program from the Internet, you "
    "may need to download them again.";

inline const std::string kInterruptedUndone =
    "The last customization of the E-Book was interrupted before it could finish. The E-Book is "
    "as it was before that customization.\n\nYou can simply customize it again.";

}  // namespace ebook_testing
