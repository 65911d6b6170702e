// A temporary resources folder (Models, Textures, Sounds) for the asset
// tests, and a recorder for alerts.
#pragma once

#include "Folders.h"
#include "Utilities.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
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
    testfiles::TemporaryFolder temporary;
    std::filesystem::path root = temporary.path();

    Folder()
    {
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
    }

    std::filesystem::path Write(const std::string &subfolder, const std::string &name, const std::string &bytes) const
    {
        std::filesystem::path file = root / subfolder / name;
        testfiles::WriteText(file, bytes);
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
