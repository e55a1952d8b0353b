#include "session/engine_environment.h"

#include "engine/bla_table.h"
#include "engine/team_size.h"

namespace vortexa {

void ReadEngineEnvironment() {
  FixedTeamSizeFromEnvironment();
  BlaFromEnvironment();
}

int ProcessorsAllowed() {
  return AllowedProcessorCount();
}

}  // namespace vortexa
