// The keys of a ranked list (the profiles of the Users page, the signature blocks): Up, Down,
// Home, End and Delete, which move the selection or, with Shift, the selected entry.
#pragma once

#include <QKeyEvent>
#include <optional>

#include "profiles/users_page.h"

namespace velmora::desktop {

inline std::optional<profiles::RankKey> rankKeyOf(const QKeyEvent& key) {
    switch (key.key()) {
        case Qt::Key_Up:
            return profiles::RankKey::Up;
        case Qt::Key_Down:
            return profiles::RankKey::Down;
        case Qt::Key_Home:
            return profiles::RankKey::Home;
        case Qt::Key_End:
            return profiles::RankKey::End;
        case Qt::Key_Delete:
            return profiles::RankKey::Delete;
        default:
            return std::nullopt;
    }
}

}  // namespace velmora::desktop
