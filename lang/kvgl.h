#pragma once
// KV_GL: the language lookup every shown text passes through, and the process's one open
// language table (the work area "KORVELLE").
//
// nLanguage chooses the mode: 1 returns texts as they are without touching the table; 0 collects
// (texts missing from the table are appended, the text comes back unchanged); 2 … 99 translate
// from column LANGUAGE<n>, collecting as well. In every mode underscores come back as blanks.
//
// Nothing here fails: a missing or broken table, a table without LANGUAGE1, a language without
// its column (100 and above included), or an append that cannot be made all give the source
// text back. Each such problem is written once per process to standard error and kept in
// languageProblems().
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

namespace kv {

// The language number; the preview sets it from the settings file. Starts as 1.
extern int nLanguage;

QString KV_GL(const QString& cText);

// Opens the table at path as the process's language table, shared and writable, unless one is
// open already (that one is then kept). Returns true when this call opened it, so the caller
// must close it again (the preview's lCloseLangDBF); false when it was already open. A table
// that cannot be opened still counts as opened by this call: lookups then fall back to the
// source text.
bool openLanguageTable(const QString& path = QStringLiteral("KORVELLE.DBF"));
void closeLanguageTable();
bool isLanguageTableOpen();

// How long an append waits for the table's lock before it gives the text up (default 3 s).
void setLanguageLockWait(std::chrono::milliseconds wait);

// The clock that paces the look at the file for edits other than appends (tests step it; an
// empty function restores the steady clock).
void setLanguageTableClock(std::function<std::chrono::steady_clock::time_point()> clock);

// The problems reported so far in this process, each once, oldest first.
QStringList languageProblems();

} // namespace kv
