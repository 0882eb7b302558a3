#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it.
#include <json/json.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "skelmora-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    std::filesystem::path Write(const std::string& name, const std::string& text) const {
        const auto file = path_ / name;
        std::ofstream out(file, std::ios::binary);
        out << text;
        return file;
    }

    static std::string Read(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static Json::Value Parse(const std::string& text) {
        Json::Value value;
        Json::Reader reader;
        if (!reader.parse(text, value)) return Json::Value();
        return value;
    }

  private:
    std::filesystem::path path_;
};
