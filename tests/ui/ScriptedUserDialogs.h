#pragma once

#include "UserDialogs.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The test double of the dialog seam: records every message box, question and file
// dialog and answers questions and file dialogs from a script (a path confirms, nullopt cancels; an
// empty script cancels). Installs itself for its lifetime.
class ScriptedUserDialogs : public IUserDialogs {
  public:
    struct Message {
        QWidget* Owner;
        std::string Text;
        std::string Caption;
        Icon MessageIcon;
    };
    struct FileRequest {
        QWidget* Owner;
        FileDialog Kind;
        std::string InitialName;
        std::string Filter;
        std::string DefaultExtension;
    };

    ScriptedUserDialogs() : Previous(SetUserDialogs(this)) {}
    ~ScriptedUserDialogs() override { SetUserDialogs(Previous); }
    ScriptedUserDialogs(const ScriptedUserDialogs&) = delete;
    ScriptedUserDialogs& operator=(const ScriptedUserDialogs&) = delete;

    void ShowMessage(QWidget* owner, const std::string& text, const std::string& caption, Icon icon) override
    {
        Messages.push_back({owner, text, caption, icon});
        if (OnMessage)
            OnMessage(Messages.back());
    }

    // Answers from QuestionAnswers (an empty script answers No); OnQuestion runs first.
    bool AskYesNo(QWidget* owner, const std::string& text, const std::string& caption) override
    {
        Questions.push_back({owner, text, caption, Icon::Stop});
        if (OnQuestion)
            OnQuestion(Questions.back());
        if (QuestionAnswers.empty())
            return false;
        const bool answer = QuestionAnswers.front();
        QuestionAnswers.pop_front();
        return answer;
    }

    // Answers from ChoiceAnswers (an empty script answers Discard); OnChoice runs first.
    Choice AskSaveDiscardCancel(QWidget* owner, const std::string& text, const std::string& caption,
                                const std::string& saveLabel) override
    {
        Choices.push_back({owner, text, caption, Icon::Stop});
        ChoiceSaveLabels.push_back(saveLabel);
        if (OnChoice)
            OnChoice(Choices.back());
        if (ChoiceAnswers.empty())
            return Choice::Discard;
        const Choice answer = ChoiceAnswers.front();
        ChoiceAnswers.pop_front();
        return answer;
    }

    bool ChooseFile(QWidget* owner, FileDialog kind, const std::string& initialName, std::string_view filter,
                    std::string_view defaultExtension, std::string& path) override
    {
        FileRequests.push_back(
            {owner, kind, initialName, std::string(filter), std::string(defaultExtension)});
        if (FileAnswers.empty())
            return false;
        const std::optional<std::string> answer = FileAnswers.front();
        FileAnswers.pop_front();
        if (!answer)
            return false;
        path = *answer;
        return true;
    }

    // Records the folder; opens nothing.
    bool OpenFolder(QWidget*, const std::string& folder) override
    {
        OpenedFolders.push_back(folder);
        return true;
    }

    std::vector<std::string> MessageTexts() const
    {
        std::vector<std::string> texts;
        for (const Message& message : Messages)
            texts.push_back(message.Text);
        return texts;
    }

    std::vector<Message> Messages;
    std::vector<FileRequest> FileRequests;
    std::deque<std::optional<std::string>> FileAnswers;
    std::function<void(const Message&)> OnMessage;
    std::vector<Message> Questions; // their icon is not used
    std::deque<bool> QuestionAnswers;
    std::function<void(const Message&)> OnQuestion;
    std::vector<Message> Choices; // Save / Discard / Cancel questions; their icon is not used
    std::vector<std::string> ChoiceSaveLabels;
    std::deque<Choice> ChoiceAnswers;
    std::function<void(const Message&)> OnChoice;
    std::vector<std::string> OpenedFolders;

  private:
    IUserDialogs* Previous;
};
