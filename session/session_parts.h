// TSessionParts: the engine, the picture composition and the display driver
// inside a session, for the session's own helpers (tours, posters, videos)
// and for tests. Windows and programs go through the session's commands and
// read-only queries instead.
#pragma once

#include "session/session.h"

namespace vortexa {

struct TSessionParts {
  static TCalcGrid& CalcGrid(TSession& session) { return session.FCalcGrid; }
  static const TCalcGrid& CalcGrid(const TSession& session) { return session.FCalcGrid; }
  static TDrawGrid& DrawGrid(TSession& session) { return session.FDrawGrid; }
  static const TDrawGrid& DrawGrid(const TSession& session) { return session.FDrawGrid; }
  static TDisplayDriver& Driver(TSession& session) { return session.FDriver; }
};

}  // namespace vortexa
