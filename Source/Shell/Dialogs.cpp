// TEMPORARY stand-in for the file dialogs so that the level editor links:
// only the scripted answers are taken; with none queued the ask dialog says
// "do not save" and the others cancel.  Replaced by the dialogs' own
// implementation.
#include "Dialogs.h"

#include <deque>
#include <utility>

namespace {
std::deque<std::pair<int, std::string>> scripted;

bool Take(int *answer, std::string *text)
{
    if (scripted.empty())
        return false;
    *answer = scripted.front().first;
    *text = scripted.front().second;
    scripted.pop_front();
    return true;
}
} // namespace

int displayAskSaveChangesDialog(const std::string &, bool)
{
    int answer;
    std::string text;
    return Take(&answer, &text) ? answer : -1;
}

bool displayModalSaveDialog(const std::string &defaultName, const std::filesystem::path &defaultFolder,
                            std::filesystem::path *outFolder, std::string *outName)
{
    int answer;
    std::string text;
    if (!Take(&answer, &text) || answer != 1)
        return false;
    *outFolder = defaultFolder;
    *outName = text.empty() ? defaultName : text;
    return DialogsCheckFileName(*outName) == nullptr;
}

bool displayModalOpenDialog(std::filesystem::path *outFile)
{
    int answer;
    std::string text;
    if (!Take(&answer, &text) || answer != 1)
        return false;
    *outFile = text;
    return true;
}

const char *DialogsCheckFileName(const std::string &name)
{
    if (name.empty())
        return "empty";
    if (name.find('/') != std::string::npos)
        return "slash";
    if (name.find_first_not_of('.') == std::string::npos)
        return "dots";
    return nullptr;
}

void DialogsQueueScriptedAnswer(int answer, const std::string &text)
{
    scripted.emplace_back(answer, text);
}

int DialogsPendingScriptedAnswers()
{
    return int(scripted.size());
}

void DialogsClearScriptedAnswers()
{
    scripted.clear();
}
