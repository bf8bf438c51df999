#include "tools/sample-ebook/book_text.h"

namespace sample_ebook {

const Chapter kChapters[kChapterCount] = {
    {"Chapter One: The Keeper",
     {"On the last headland before the open sea stood a lighthouse that nobody needed any "
      "more. The ships carried new instruments now, and their charts were drawn from the sky. "
      "Still, every evening at dusk, Ilse climbed the hundred and twelve steps and lit the "
      "lantern.",
      "She did it because her mother had done it, and because the bay looked lonely in the dark. "
      "The fishermen's children, walking home along the harbour wall, would look up and wave, "
      "and sometimes she waved back, though she knew they could not see her."}},
    {"Chapter Two: The Letter",
     {"One spring a letter came with no stamp on it, only her name and the words \"the "
      "lighthouse\". Inside was a single line in a careful, unpractised hand: Thank you for the "
      "light. I was lost once, and it brought me home.",
      "Ilse read it many times. Then she laid it in the drawer beside the lamp oil, and that "
      "evening she climbed the steps a little faster than before. Whoever had written it might "
      "be out there still, she thought, and a light is a small thing to keep."}},
};

namespace {

constexpr char kLine[] = "\r\n";

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += kLine;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Value(const CBookSource& source, const char* ident) {
  const ebv_variable* variable = source.Find(ident);
  return variable ? WithCrLf(ValueOf(*variable)) : std::string();
}

void AddParagraph(std::string& text, const std::string& paragraph) {
  if (paragraph.empty()) return;
  text += paragraph;
  text += kLine;
  text += kLine;
}

void AddAbout(const CBookSource& source, std::string& text) {
  AddParagraph(text, kAboutHeading);
  AddParagraph(text, kAboutText);
  AddParagraph(text, kIdentity + source.Identity() + kFormatVersion +
                         std::to_string(source.Version()) + kSeparator +
                         (source.Rebranded() ? kCustomized : kNotCustomized));
  for (size_t i = 0; i < source.Count(); ++i) {
    const ebv_variable& variable = source.At(i);
    AddParagraph(text, WithCrLf(PromptOf(variable)) + kLine + WithCrLf(ValueOf(variable)) + kLine +
                           "(" + IdentOf(variable) + ", " +
                           (variable.editable ? kEditable : kFixed) + kType +
                           std::to_string(variable.type) + ")");
  }
}

}  // namespace

std::string NoTableReason(CBookSource::Status status) {
  switch (status) {
    case CBookSource::kOk:
      return std::string();
    case CBookSource::kCannotOpen:
      return kCannotOpenReason;
    case CBookSource::kNoTrailer:
      return kNoTrailerReason;
    case CBookSource::kBadTable:
      break;
  }
  return kBadTableReason;
}

std::string ComposeBookText(const CBookSource& source) {
  std::string text;
  if (source.GetStatus() != CBookSource::kOk) {
    AddParagraph(text, kNoTableHeading);
    AddParagraph(text, NoTableReason(source.GetStatus()));
    AddParagraph(text, source.GetPath());
    return text;
  }
  const std::string title = Value(source, "title");
  AddParagraph(text, title.empty() ? kUntitled : title);
  const std::string author = Value(source, "author");
  if (!author.empty()) AddParagraph(text, kByAuthor + author);
  AddParagraph(text, Value(source, "edition"));
  AddParagraph(text, Value(source, "dedication"));
  for (const Chapter& chapter : kChapters) {
    AddParagraph(text, chapter.heading);
    for (const char* paragraph : chapter.paragraphs) AddParagraph(text, paragraph);
  }
  AddParagraph(text, kNoteHeading);
  AddParagraph(text, Value(source, "note"));
  const std::string website = Value(source, "website");
  if (!website.empty()) AddParagraph(text, kMoreFromAuthor + website);
  AddAbout(source, text);
  return text;
}

std::string BookTitle(const CBookSource& source) {
  const ebv_variable* title = source.Find("title");
  return title ? ValueOf(*title) : kDefaultTitle;
}

}  // namespace sample_ebook
