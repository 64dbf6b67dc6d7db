// The net layer: threads and operation queues with the event dispatch, data buffers, sockets,
// URLs and the HTTP client. hexwend::net::registerModules() adds its start-up to the runtime's.
#pragma once

#include "net/data_buffer.h"
#include "net/http.h"
#include "net/socket.h"
#include "net/thread.h"
