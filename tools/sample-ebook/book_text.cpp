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
  const formats::CVariable* variable = source.Find(ident);
  return variable ? WithCrLf(variable->m_strValue) : std::string();
}

void AddParagraph(std::string& text, const std::string& paragraph) {
  if (paragraph.empty()) return;
  text += paragraph;
  text += kLine;
  text += kLine;
}

void AddAbout(const CBookSource& source, std::string& text) {
  AddParagraph(text, "About This E-Book");
  AddParagraph(text, kAboutText);
  const formats::CVariableTable& table = source.Table();
  AddParagraph(text, "Identity: " + source.Trailer().GetId() + " - format version " +
                         std::to_string(source.Trailer().m_nVersion) + " - " +
                         (table.m_bRebranded ? "customized" : "not yet customized"));
  for (int i = 0; i < table.GetSize(); ++i) {
    const formats::CVariable& variable = table[i];
    AddParagraph(text, WithCrLf(variable.m_strPrompt) + kLine + WithCrLf(variable.m_strValue) +
                           kLine + "(" + variable.m_strIdent + ", " +
                           (variable.m_bEditable ? "editable" : "fixed") + ", type " +
                           std::to_string(variable.m_nType) + ")");
  }
}

}  // namespace

std::string NoTableReason(CBookSource::Status status) {
  switch (status) {
    case CBookSource::kOk:
      return std::string();
    case CBookSource::kCannotOpen:
      return "This E-Book could not open its own program file. A rebrander may be customizing "
             "it right now; start the E-Book again when it has finished.";
    case CBookSource::kNoTrailer:
      return "This program carries no E-Book trailer, so it has no texts to show. Pack it with "
             "mkebook to make it an E-Book.";
    case CBookSource::kBadTable:
      break;
  }
  return "This E-Book's variable table is damaged and cannot be read.";
}

std::string ComposeBookText(const CBookSource& source) {
  std::string text;
  if (source.GetStatus() != CBookSource::kOk) {
    AddParagraph(text, "No Variable Table");
    AddParagraph(text, NoTableReason(source.GetStatus()));
    AddParagraph(text, platform::TextFromPath(source.GetPath()));
    return text;
  }
  const std::string title = Value(source, "title");
  AddParagraph(text, title.empty() ? "Untitled" : title);
  const std::string author = Value(source, "author");
  if (!author.empty()) AddParagraph(text, "by " + author);
  AddParagraph(text, Value(source, "edition"));
  AddParagraph(text, Value(source, "dedication"));
  for (const Chapter& chapter : kChapters) {
    AddParagraph(text, chapter.heading);
    for (const char* paragraph : chapter.paragraphs) AddParagraph(text, paragraph);
  }
  AddParagraph(text, "A Note from the Author");
  AddParagraph(text, Value(source, "note"));
  const std::string website = Value(source, "website");
  if (!website.empty()) AddParagraph(text, "More from the author: " + website);
  AddAbout(source, text);
  return text;
}

std::string BookTitle(const CBookSource& source) {
  const formats::CVariable* title =
      source.GetStatus() == CBookSource::kOk ? source.Find("title") : nullptr;
  return title ? title->m_strValue : "Sample E-Book";
}

}  // namespace sample_ebook
