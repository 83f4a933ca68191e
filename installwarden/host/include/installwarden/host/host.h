#pragma once

// Everything a host application needs to drive an update with installwarden.
#include "installwarden/host/assistant_program.h"
#include "installwarden/host/assistant_status.h"
#include "installwarden/host/commands.h"
#include "installwarden/host/launch_receipt.h"
#include "installwarden/host/phase.h"
#include "installwarden/host/update_request.h"
