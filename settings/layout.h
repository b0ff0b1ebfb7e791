#pragma once
// The settings store layout: every key the program reads or writes, with its
// section, stored form and default. No key name or default is spelled
// anywhere else; readers and writers go through the helpers below.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kivo {

class SettingsStore;

enum class StoredForm { Flag, ByteFlag, Integer, Text, Time };

struct SettingKey {
  const char* section;
  const char* key;
  StoredForm form;
  const char* defaultText;  // returned when the key or its section is missing
};

inline constexpr const char* kSectionMain = "Main";
inline constexpr const char* kSectionPlugIn = "Plug in";

// Entries of the window list: window classes whose windows are left alone.
inline constexpr std::size_t kWindowListSize = 3;

namespace keys {
// Main window options.
inline constexpr SettingKey ClockRight{kSectionMain, "ClockRight", StoredForm::ByteFlag, "0"};
inline constexpr SettingKey CheckInterval{kSectionMain, "CheckInterval", StoredForm::Integer,
                                          "250"};
inline constexpr SettingKey UserTaste{kSectionMain, "UserTaste", StoredForm::Flag, "0"};
// Whether Kivo puts its icon in the notification area.
inline constexpr SettingKey TrayIcon{kSectionMain, "TrayIcon", StoredForm::Flag, "1"};
// The language of the windows: "ja", "en", or empty for the user's own.
inline constexpr SettingKey Language{kSectionMain, "Language", StoredForm::Text, ""};
// What the standard clock shows.
inline constexpr SettingKey Show24h{kSectionMain, "24h", StoredForm::Flag, "1"};
inline constexpr SettingKey ShowSecond{kSectionMain, "ShowSecond", StoredForm::Flag, "0"};
inline constexpr SettingKey ShowDate{kSectionMain, "ShowDate", StoredForm::Flag, "1"};
inline constexpr SettingKey ShowDay{kSectionMain, "ShowDay", StoredForm::Flag, "0"};
inline constexpr SettingKey ShowYear{kSectionMain, "ShowYear", StoredForm::Flag, "0"};
inline constexpr SettingKey EqualSeparate{kSectionMain, "EqualSeparate", StoredForm::ByteFlag, "1"};
// Hourly signals.
inline constexpr SettingKey TimePika{kSectionMain, "TimePika", StoredForm::Flag, "1"};
inline constexpr SettingKey TimeFuru{kSectionMain, "TimeFuru", StoredForm::Flag, "0"};
inline constexpr SettingKey TimeFuruCount{kSectionMain, "TimeFuruCount", StoredForm::Integer, "10"};
inline constexpr SettingKey TimePipo{kSectionMain, "TimePipo", StoredForm::Flag, "0"};
inline constexpr SettingKey PipoHato{kSectionMain, "PipoHato", StoredForm::Flag, "0"};
inline constexpr SettingKey WaveFilePath1{kSectionMain, "WaveFilePath1", StoredForm::Text, ""};
// Daily alarm.
inline constexpr SettingKey Alarm{kSectionMain, "Alarm", StoredForm::ByteFlag, "0"};
inline constexpr SettingKey AlarmTime{kSectionMain, "AlarmTime", StoredForm::Time, ""};
inline constexpr SettingKey AlarmMessage{kSectionMain, "AlarmMessage", StoredForm::Text,
                                         "時間だよ(^^)"};
inline constexpr SettingKey WaveFilePath2{kSectionMain, "WaveFilePath2", StoredForm::Text, ""};
// Tuning kept only in the store.
inline constexpr SettingKey FlashLimit{kSectionMain, "FlashLimit", StoredForm::Integer, "50"};
inline constexpr SettingKey VibrateWidth{kSectionMain, "VibrateWidth", StoredForm::Integer, "20"};
// Written by companion programs only.
inline constexpr SettingKey XXFormat{kSectionMain, "XXFormat", StoredForm::Text, ""};
inline constexpr SettingKey Vudadiz{kSectionPlugIn, "Vudadiz", StoredForm::ByteFlag, "0"};
inline constexpr SettingKey KivoTT{kSectionPlugIn, "KivoTT", StoredForm::ByteFlag, "0"};
inline constexpr SettingKey KivoXX{kSectionPlugIn, "KivoXX", StoredForm::ByteFlag, "0"};
// The window list: "WindowList" followed by the index digit.
inline constexpr std::array<SettingKey, kWindowListSize> WindowList{{
    {kSectionMain, "WindowList0", StoredForm::Text, ""},
    {kSectionMain, "WindowList1", StoredForm::Text, ""},
    {kSectionMain, "WindowList2", StoredForm::Text, ""},
}};
}  // namespace keys

// Every key, in the order of the table of record.
inline constexpr std::array<SettingKey, 30> kAllSettings{{
    keys::ClockRight,    keys::CheckInterval, keys::UserTaste,     keys::Show24h,
    keys::ShowSecond,    keys::ShowDate,      keys::ShowDay,       keys::ShowYear,
    keys::EqualSeparate, keys::TimePika,      keys::TimeFuru,      keys::TimeFuruCount,
    keys::TimePipo,      keys::PipoHato,      keys::WaveFilePath1, keys::Alarm,
    keys::AlarmTime,     keys::AlarmMessage,  keys::WaveFilePath2, keys::FlashLimit,
    keys::VibrateWidth,  keys::XXFormat,      keys::WindowList[0], keys::WindowList[1],
    keys::WindowList[2], keys::Vudadiz,       keys::KivoTT,        keys::KivoXX,
    keys::TrayIcon,      keys::Language,
}};

// Readers: the stored text (or the default), converted as named. The
// conversions raise error 6 or 13 as settings/convert.h describes.
std::string readText(SettingsStore& store, const SettingKey& key);
std::uint8_t readByte(SettingsStore& store, const SettingKey& key);
std::int16_t readInt16(SettingsStore& store, const SettingKey& key);
bool readEqualsOne(SettingsStore& store, const SettingKey& key);

// Writers.
void writeText(SettingsStore& store, const SettingKey& key, const std::string& value);
void writeNumber(SettingsStore& store, const SettingKey& key, long value);
void deleteKey(SettingsStore& store, const SettingKey& key);

}  // namespace kivo
