// The words of the sample E-Book around its own prose: headings, the about
// page and why a program shows no table. The plain-text book (and so the Win32
// window) takes them from here; the Qt window keeps its translatable texts at
// their tr() calls and shares kAboutText and the reasons.
#pragma once

namespace sample_ebook {

inline constexpr char kAboutText[] =
    "This is a sample E-Book. Its title, author, dedication, note and website come from the "
    "variable table stored at the end of its own program file; the rebrander beside it lets you "
    "change them. Everything the table holds is listed below.";

inline constexpr char kCannotOpenReason[] =
    "This E-Book could not open its own program file. A rebrander may be customizing "
    "it right now; start the E-Book again when it has finished.";
inline constexpr char kNoTrailerReason[] =
    "This program carries no E-Book trailer, so it has no texts to show. Pack it with "
    "mkebook to make it an E-Book.";
inline constexpr char kBadTableReason[] =
    "This E-Book's variable table is damaged and cannot be read.";

inline constexpr char kDefaultTitle[] = "Sample E-Book";
inline constexpr char kUntitled[] = "Untitled";
inline constexpr char kByAuthor[] = "by ";
inline constexpr char kNoTableHeading[] = "No Variable Table";
inline constexpr char kNoteHeading[] = "A Note from the Author";
inline constexpr char kMoreFromAuthor[] = "More from the author: ";
inline constexpr char kAboutHeading[] = "About This E-Book";
inline constexpr char kIdentity[] = "Identity: ";
inline constexpr char kFormatVersion[] = " - format version ";
inline constexpr char kSeparator[] = " - ";
inline constexpr char kCustomized[] = "customized";
inline constexpr char kNotCustomized[] = "not yet customized";
inline constexpr char kEditable[] = "editable";
inline constexpr char kFixed[] = "fixed";
inline constexpr char kType[] = ", type ";

}  // namespace sample_ebook
