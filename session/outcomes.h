#pragma once

// Outcomes of the session's operations that end without doing their work, shared by the files
// that make up the session.
#include <utility>

#include "session/session.h"

namespace tw {

/// An outcome that stopped for `error`: the model and the files are as they were.
inline Outcome failed(Error error)
{
    Outcome outcome;
    outcome.failure = std::move(error);
    return outcome;
}

/// An outcome the user ended (a dialog left, a run cancelled, a window refused).
inline Outcome cancelled()
{
    Outcome outcome;
    outcome.cancelled = true;
    return outcome;
}

}  // namespace tw
