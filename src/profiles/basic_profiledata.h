#pragma once
// A device's profile data object: its element of the current profile file (entry "element
// index" of the file's "Device" array), the settings records read from and written to it, and
// the light configuration document. Section reads look at the element only; section writes put
// the value into the element; nothing reaches the disk until Save.
#include <json/json.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "profiles/json_file.h"
#include "profiles/records.h"

namespace profiles {

// Element indices outside 0..kMaxElementIndex are refused: loading gives null and saving
// writes nothing, so a bad index can never blow a profile file up with nulls.
inline constexpr std::int32_t kMaxElementIndex = 255;
// A light effect file's step list is read up to this many steps; the rest is ignored.
inline constexpr std::size_t kMaxLightEffectSteps = 1000;

// Whether a light effect Guid names a plain file of the light configuration's folder: not
// empty, no path separator, no leading dot (so neither ".." nor a hidden file). Pure.
bool IsPlainEffectName(const std::string& guid);

// The shape of a profile document: an object whose "Device", when present, is an array of
// elements that are objects (or null). Pure.
bool IsProfileDocument(const Json::Value& root);

class CBasicProfiledata {
  public:
    // Its file helper keeps aside a profile file that is not a profile document (see
    // IsProfileDocument) before replacing it.
    CBasicProfiledata();
    virtual ~CBasicProfiledata() = default;

    // An empty path is ignored and the old one kept.
    void SetProfilePath(const std::filesystem::path& path);
    void SetDefaultPath(const std::filesystem::path& path);
    std::filesystem::path GetProfilePath() const { return profile_path_; }
    std::filesystem::path GetDefaultPath() const { return default_path_; }
    void SetLightConfigPath(const std::filesystem::path& path) { light_config_path_ = path; }
    std::filesystem::path GetLightConfigPath() const { return light_config_path_; }
    void SetElementIndex(std::int32_t index) { element_index_ = index; }
    std::int32_t GetElementIndex() const { return element_index_; }

    // Loads this device's element of the profile file at path; when the file has none, the
    // default file's element is copied into the profile file (other elements untouched).
    // Returns a copy of the element. The outcome of that write is LastLoadWrite().
    Json::Value Load(const std::filesystem::path& path);
    // The same into the secondary element (a profile that is not the current one).
    Json::Value LoadSecondary(const std::filesystem::path& path);
    // The light document becomes the document at path; returns a copy. The user effects'
    // files are looked for in path's folder.
    Json::Value LoadLightConfig(const std::filesystem::path& path);
    WriteResult LastLoadWrite() const { return last_load_write_; }

    // SaveElement(copy of the element, profile path).
    virtual WriteResult Save();
    // Reads the document at path, replaces only "Device"[element index] by value and writes
    // it back. A file that exists but cannot be read is left alone and reported.
    virtual WriteResult SaveElement(const Json::Value& value, const std::filesystem::path& path);
    virtual WriteResult SaveSecondary(const std::filesystem::path& path);
    virtual WriteResult SaveDocument(const Json::Value& value, const std::filesystem::path& path);

    // "LightInfo": missing reads as the default light (all zero).
    LightInfo ReadLightInfo();
    void WriteLightInfo(const LightInfo& light);
    // "AudioLightInfo": missing reads as all zero.
    AudioLightInfo ReadAudioLightInfo();
    void WriteAudioLightInfo(const AudioLightInfo& audio);
    // "LightList": one record per entry; reserved[2] tells whether the entry exists.
    std::vector<LightInfo> ReadLightList();
    // The steps of the current light mode's effect file (ReadLightInfo first). Mode
    // built-in count + k plays the user effect k of the light configuration's row; its file
    // is Guid + ".light" in the folder of the light configuration last loaded (an absolute
    // one: a relative folder gives no steps). A Guid that is not a plain
    // file name (IsPlainEffectName) is logged and gives no steps; a list longer than
    // kMaxLightEffectSteps is cut there; a missing or negative "Time" reads as 0.
    std::vector<LightEffectStep> ReadCustomLightEffect();
    // "KeyList": entry i is key index i.
    std::vector<KeyAssignmentPair> ReadKeyList();
    std::vector<KeyAssignmentPair> ReadSecondaryKeyList();
    // Sets "Assignment" of every entry; "DefaultAssignment" is never written.
    void WriteKeyList(const std::vector<KeyAssignmentPair>& list);
    void WriteSecondaryKeyList(const std::vector<KeyAssignmentPair>& list);

    const Json::Value& Element() const { return element_; }
    const Json::Value& SecondaryElement() const { return secondary_element_; }
    const Json::Value& LightDocument() const { return light_document_; }
    const LightInfo& Light() const { return light_; }
    const AudioLightInfo& AudioLight() const { return audio_light_; }
    const std::vector<LightInfo>& LightList() const { return light_list_; }
    const std::vector<LightEffectStep>& LightEffectSteps() const { return light_effect_steps_; }
    const std::vector<KeyAssignmentPair>& KeyList() const { return key_list_; }
    const std::vector<KeyAssignmentPair>& SecondaryKeyList() const { return secondary_key_list_; }
    // The length of the device's built-in mode list: the first mode that plays a user effect.
    std::int32_t BuiltInLightCount() const { return built_in_light_count_; }
    void SetBuiltInLightCount(std::int32_t count) { built_in_light_count_ = count < 0 ? 0 : count; }

  protected:
    bool ElementIndexValid() const;
    // The element as an object, ready for section writes.
    Json::Value& MutableElement();

  private:
    Json::Value LoadInto(Json::Value& target, const std::filesystem::path& path);

    std::filesystem::path profile_path_;
    std::filesystem::path default_path_;
    std::int32_t built_in_light_count_ = 0;
    LightInfo light_;
    LightInfo default_light_;
    AudioLightInfo audio_light_;
    std::vector<LightInfo> light_list_;
    Json::Value element_;
    JsonFile file_;
    Json::Value secondary_element_;
    std::filesystem::path light_config_path_;
    std::vector<LightEffectStep> light_effect_steps_;
    Json::Value light_document_;
    std::filesystem::path light_document_folder_;
    std::vector<KeyAssignmentPair> key_list_;
    std::vector<KeyAssignmentPair> secondary_key_list_;
    std::int32_t element_index_ = 0;
    WriteResult last_load_write_;
};

}  // namespace profiles
