#pragma once
// The language Kivo's windows, boxes and messages speak. Japanese shows
// every text as the program has always written it; any other user gets
// English, from the catalog po/en.po (the build turns it into a table).
// Clock templates, setting keys and stored values never change with it.

#include <string>
#include <string_view>

namespace kivo {

enum class Language { Japanese, English };

// The language to speak: the `Language` setting ("ja", "en") when it names
// one, else the user's interface language ("ja", "ja_JP.UTF-8", "ja-JP",
// "en_GB:fr" ...): Japanese for Japanese, English for anything else.
Language chooseLanguage(std::string_view setting, std::string_view userLanguage);

class Translation;
// Japanese, the language every window and box was written in.
extern const Translation kJapaneseTexts;

class Translation {
 public:
  explicit Translation(Language language = Language::Japanese) : language_(language) {}
  void use(Language language) { language_ = language; }
  Language language() const { return language_; }

  // The text to show for `japanese`: itself in Japanese, its English
  // otherwise (itself when the catalog has none, which a check of the
  // sources keeps from happening).
  std::string operator()(std::string_view japanese) const;

 private:
  Language language_;
};

}  // namespace kivo
