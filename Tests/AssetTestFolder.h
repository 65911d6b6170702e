// A temporary resources folder (Models, Textures, Sounds) for the asset
// tests, and a recorder for alerts.
#pragma once

#include "Folders.h"
#include "Utilities.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace assettest {

inline std::vector<std::string> &Alerts()
{
    static std::vector<std::string> alerts;
    return alerts;
}

inline void RecordAlert(const char *message)
{
    Alerts().push_back(message);
}

// Creates a fresh resources folder and points the program at it; removes it
// again on destruction.
struct Folder {
    std::filesystem::path root;

    explicit Folder(const char *name)
    {
        root = std::filesystem::temp_directory_path() /
               ("brimhold-" + std::string(name) + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(root);
        for (const char *subfolder : {"Models", "Textures", "Sounds"})
            std::filesystem::create_directories(root / subfolder);
        PlatformSetResourcesFolder(root);
        Alerts().clear();
        setAlertPresenter(RecordAlert);
    }
    ~Folder()
    {
        setAlertPresenter(nullptr);
        PlatformSetResourcesFolder(std::filesystem::path());
        std::error_code error;
        std::filesystem::remove_all(root, error);
    }

    std::filesystem::path Write(const std::string &subfolder, const std::string &name, const std::string &bytes) const
    {
        std::filesystem::path file = root / subfolder / name;
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        return file;
    }
    std::filesystem::path Model(const std::string &name, const std::string &text) const
    {
        return Write("Models", name, text);
    }
};

// The common header of an asset file.
inline std::string Header(const std::string &type, const std::string &identifier,
                          const std::vector<std::string> &requires_ = {})
{
    std::string text = "Header\n\tType: " + type + "\n\tIdentifier: '" + identifier + "'\n";
    for (const std::string &r : requires_)
        text += "\tRequires: \"" + r + "\"\n";
    return text + "End\n";
}

} // namespace assettest
