# SPDX-License-Identifier: GPL-3.0-or-later
# Every target of ours gets the same strict warnings; third-party headers stay quiet
# because they come in as system includes.
add_library(quorvane_warnings INTERFACE)
target_compile_options(quorvane_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
  -Wcast-align -Woverloaded-virtual -Wimplicit-fallthrough)
if(QUORVANE_WERROR)
  target_compile_options(quorvane_warnings INTERFACE -Werror)
endif()
