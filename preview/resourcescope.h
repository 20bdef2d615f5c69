#pragma once
// Remembers the current resource source and puts it back when the scope ends, so a window or
// dialog can select the resource library for its construction without disturbing its caller.
//
//     ResourceScope scope(cResFile);      // remember, then select
//     if (!scope.selected()) ...          // the library could not be selected
//     ... load bitmaps, cursor, dialog templates ...
//                                         // leaving the scope restores the remembered source
#include <QString>

namespace kv {

class ResourceScope {
public:
    // Remembers the current source only; the caller selects what it needs.
    ResourceScope();
    // Remembers the current source, then selects the library `fileName`.
    explicit ResourceScope(const QString& fileName);
    ~ResourceScope();

    ResourceScope(const ResourceScope&) = delete;
    ResourceScope& operator=(const ResourceScope&) = delete;

    // Whether the library named at construction was selected (false for the remember-only
    // constructor).
    bool selected() const { return m_selected; }
    // The source that will be restored.
    const QString& saved() const { return m_saved; }

private:
    QString m_saved;
    bool m_selected = false;
};

} // namespace kv
