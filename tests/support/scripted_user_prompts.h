#pragma once

#include <QString>
#include <QStringList>
#include <deque>

#include "dialogs/user_prompts.h"

namespace brevik2::testing {

// Answers the window's message boxes and file dialogs from a script and remembers what was
// asked, so tests can check titles and texts without a person at the screen.
class ScriptedUserPrompts final : public dialogs::UserPrompts {
public:
    struct Shown {
        QString title;
        QString text;
    };

    void information(QWidget*, const QString& title, const QString& text) override {
        shown.push_back({title, text});
    }
    QString saveFileName(QWidget*, const QString& defaultName, const QString& filter,
                         const QString& defaultSuffix) override {
        askedDefaultName = defaultName;
        askedFilter = filter;
        askedSuffix = defaultSuffix;
        return takeAnswer();
    }
    QString existingDirectory(QWidget*, const QString&, const QString& startFolder) override {
        askedStartFolder = startFolder;
        return takeAnswer();
    }

    std::deque<QString> answers;  // the next file or folder chosen; empty string = cancelled
    std::vector<Shown> shown;
    QString askedDefaultName;
    QString askedFilter;
    QString askedSuffix;
    QString askedStartFolder;

private:
    QString takeAnswer() {
        if (answers.empty()) {
            return {};
        }
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace brevik2::testing
