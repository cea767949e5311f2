#pragma once

#include <deque>
#include <optional>
#include <utility>
#include <vector>

// Answers queued by tests for the dialogs the program asks through (message
// boxes, file dialogs, the folder picker), and the questions asked, so that
// no test ever waits for a person or clicks blindly.
template <typename Question, typename Answer>
class ScriptedAnswers {
public:
    void queue(Answer answer) { answers_.push_back(std::move(answer)); }
    bool hasQueued() const { return !answers_.empty(); }

    // The next queued answer, the question recorded with it; nothing when
    // none is queued, and then the real dialog is shown.
    std::optional<Answer> take(const Question& question) {
        if (answers_.empty()) {
            return std::nullopt;
        }
        asked_.push_back(question);
        Answer answer = std::move(answers_.front());
        answers_.pop_front();
        return answer;
    }
    void record(const Question& question) { asked_.push_back(question); }

    const std::vector<Question>& asked() const { return asked_; }
    // Forgets what was asked and every answer not yet taken.
    void clear() {
        asked_.clear();
        answers_.clear();
    }

private:
    std::deque<Answer> answers_;
    std::vector<Question> asked_;
};
