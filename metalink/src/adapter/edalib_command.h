// The command over a library file held in memory. It owns the library and forwards load, save
// and the object queries to it; the library model plugs in here when the connector is wired up.
#pragma once

#include "adapter/data_command.h"

class CEDALibCommand : public CDataCommand {
 public:
  CEDALibCommand() = default;
  ~CEDALibCommand() override = default;
};
