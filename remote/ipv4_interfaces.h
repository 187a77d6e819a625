#pragma once
// The computer's IPv4 addresses as the IP helper reports them.
#include <vector>

#include "remote/core/directed_broadcast.h"

// Every address of every adapter, with whether the adapter is up; empty when
// the table can't be read.
std::vector<Ipv4Interface> ReadIpv4Interfaces();
