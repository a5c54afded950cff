// (filled in by the panel work)
#pragma once
