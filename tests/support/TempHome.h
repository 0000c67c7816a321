// TempHome - a fresh temporary home for one test: the data and configuration folders the game keeps its
// records in point into it, and back to what they were afterwards.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TempHome {
public:
    TempHome()
    {
        char pattern[] = "/tmp/calcadia-home-XXXXXX";
        root = mkdtemp(pattern);
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "HOME"}) {
            const char* value = std::getenv(name);
            saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    }
    ~TempHome()
    {
        for (const auto& [name, value] : saved)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
        std::error_code error;
        std::filesystem::permissions(root, std::filesystem::perms::all, error);
        std::filesystem::remove_all(root, error);
    }
    std::filesystem::path Data() const { return root / "data" / "calcadia"; }
    std::filesystem::path Config() const { return root / "config" / "calcadia"; }

    std::filesystem::path root;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

