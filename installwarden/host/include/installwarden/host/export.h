#pragma once

/// Marks what the host library exports; everything else in it stays private to it.
#define INSTALLWARDEN_HOST_API __attribute__((visibility("default")))
