// Helpers for document tests: a builder of document-file bytes, prompts and
// progress that record, and what a scan does to a document.
#pragma once

#include "catalog/FolderItem.h"
#include "compare/ProgressIndicator.h"
#include "document/Document.h"
#include "document/DocumentPrompts.h"
#include "tests/catalog/CatalogTestSupport.h"
#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace twinseek::testing {

// Document-file bytes built field by field, all words little-endian.
struct TwsBytes {
    TwsBytes() = default;
    // A document's first bytes: its count of files and the root's own record.
    explicit TwsBytes(uint32_t total) { Word(total).Root(); }
    TwsBytes& Word(uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(char(value >> shift));
        return *this;
    }
    TwsBytes& Line(std::string_view text) {
        bytes.append(text).push_back('\n');
        return *this;
    }
    // An item record with zero times.
    TwsBytes& Item(std::string_view name, uint64_t size = 0, int32_t state = 0, uint32_t attributes = 0) {
        Word(attributes).Word(0).Word(0).Word(0).Word(0).Word(0).Word(0);
        Word(uint32_t(size >> 32)).Word(uint32_t(size));
        return Line(name).Line("").Word(uint32_t(state));
    }
    TwsBytes& Folder(std::string_view name) { return Item(name, 0, 0, FILE_ATTRIBUTE_DIRECTORY); }
    TwsBytes& File(std::string_view name, uint64_t size, int32_t state = 0, uint32_t hashMillis = 0,
                   std::string_view digest = "") {
        return Item(name, size, state).Word(hashMillis).Line(digest);
    }
    // The root's own record as the program writes it: all zero, no names.
    TwsBytes& Root() { return Item(""); }

    std::string bytes;
};

// Answers from a script and remembers what was asked; an unscripted question
// fails the test.
class ScriptedPrompts : public DocumentPrompts {
public:
    Answer AskSaveChanges(const char*, const char*) override {
        ++questions;
        return Pop(answers, "save question").value_or(Answer::Cancel);
    }
    std::optional<std::string> ChooseOpenPath() override { return Pop(openChoices, "open dialog").value_or(std::nullopt); }
    std::optional<std::string> ChooseSavePath(const std::string& proposed) override {
        proposedSavePaths.push_back(proposed);
        return Pop(saveChoices, "save dialog").value_or(std::nullopt);
    }
    void ShowError(const std::string& text) override { errors.push_back(text); }

    std::deque<Answer> answers;
    std::deque<std::optional<std::string>> openChoices, saveChoices;
    std::vector<std::string> proposedSavePaths, errors;
    int questions = 0;

private:
    template <typename T>
    static std::optional<T> Pop(std::deque<T>& script, const char* what) {
        if (script.empty()) {
            ADD_FAILURE() << "unexpected " << what;
            return std::nullopt;
        }
        T next = script.front();
        script.pop_front();
        return next;
    }
};

// Fails the test on a step outside a run or past its range; keeps the last run.
class CheckedProgress : public ProgressIndicator {
public:
    void ProgressStart(std::string_view, int32_t newRange) override {
        EXPECT_FALSE(running) << "a run started inside another";
        running = true;
        range = newRange;
        steps = 0;
    }
    void ProgressStep() override {
        EXPECT_TRUE(running) << "a step outside a run";
        EXPECT_LE(++steps, range) << "a step past the range";
    }
    void ProgressEnd() override { running = false; }

    bool running = false;
    int32_t range = 0, steps = 0;
};

// What a scan does for one file: files it under folder and, when new, in intake.
inline FileItem* ScanFile(Document& document, FolderItem* folder, const FindData& data) {
    bool created = false;
    FileItem* file = folder->FindOrCreateFile(data, created);
    if (created) document.intake.Insert(file->Size(), file);
    return file;
}

inline FolderItem* ScanFolder(FolderItem* parent, const std::string& name) {
    return parent->FindOrCreateFolder(EntryNamed(name, 0, FILE_ATTRIBUTE_DIRECTORY));
}

}  // namespace twinseek::testing
