// The helpers shared by the engine and some windows, all of them: digests, dates, files and
// folders, texts, URLs. Narrow texts are in the ANSI code page unless said otherwise; wide
// texts are UTF-16. New code includes the one topic it needs.
#pragma once

#include "base/path.h"
#include "engine/dates.h"
#include "engine/files.h"
#include "engine/md5_hex.h"
#include "engine/texts.h"
#include "engine/urls.h"
