// The catalog's table and the choice of language.
#include "ui/translation.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace kivo {

namespace {

struct CatalogEntry {
  std::string_view japanese;
  std::string_view english;
};

// Sorted by the Japanese text's bytes (scripts/translations.py).
constexpr CatalogEntry kEnglish[] = {
#include "english_catalog.inc"
};

bool startsWithWord(std::string_view text, std::string_view word) {
  if (text.substr(0, word.size()) != word) return false;
  return text.size() == word.size() || text[word.size()] == '_' || text[word.size()] == '-' ||
         text[word.size()] == '.' || text[word.size()] == ':' || text[word.size()] == '@';
}

}  // namespace

const Translation kJapaneseTexts{Language::Japanese};

Language chooseLanguage(std::string_view setting, std::string_view userLanguage) {
  // Written by hand in the settings file as often as by Kivo.
  std::string chosen(setting);
  for (char& c : chosen) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (chosen == "ja") return Language::Japanese;
  if (chosen == "en") return Language::English;
  return startsWithWord(userLanguage, "ja") ? Language::Japanese : Language::English;
}

std::string Translation::operator()(std::string_view japanese) const {
  if (language_ == Language::Japanese) return std::string(japanese);
  const auto* found = std::lower_bound(
      std::begin(kEnglish), std::end(kEnglish), japanese,
      [](const CatalogEntry& e, std::string_view key) { return e.japanese < key; });
  if (found != std::end(kEnglish) && found->japanese == japanese)
    return std::string(found->english);
  return std::string(japanese);
}

}  // namespace kivo
