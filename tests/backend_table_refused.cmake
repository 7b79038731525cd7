# A backend's table with an entry left out, or with a null entry, does not compile: the two
# backends' real tables (platform/qt/backend_table.cpp and platform/null/backend.cpp) compile as
# they are, and copies of them with a hole or a null put in are refused by the compiler, with a
# message that says why.
#   cmake -DCXX=<compiler> -DSOURCE_DIR=<source tree> -DWORK=<scratch folder> -P backend_table_refused.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# compile(SOURCE EXPECT_FAILURE EXPECTED_TEXT WHAT): compiles SOURCE with the layer's include
# folders; when EXPECT_FAILURE is true the compiler must refuse it with a message matching
# EXPECTED_TEXT (a regular expression), otherwise it must accept it. WHAT says what was tried.
function(compile source expect_failure expected_text what)
  execute_process(COMMAND ${CXX} -std=c++20 -fsyntax-only -I${SOURCE_DIR}/platform/include
                          -I${SOURCE_DIR}/platform ${source}
                  RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_VARIABLE output)
  string(APPEND errors "${output}")
  if(NOT expect_failure AND NOT result EQUAL 0)
    message(FATAL_ERROR "${what} was refused:\n${errors}")
  endif()
  if(expect_failure AND result EQUAL 0)
    message(FATAL_ERROR "${what} compiled; a table with a hole in it must not")
  endif()
  string(REPLACE "\n" " " errors "${errors}")
  if(expect_failure AND NOT errors MATCHES "${expected_text}")
    message(FATAL_ERROR "${what} was refused, but not for the reason expected (\"${expected_text}\"): ${errors}")
  endif()
endfunction()

# changed(BACKEND SOURCE ENTRY REPLACEMENT OUT): the backend's source with the line that sets
# ENTRY replaced by REPLACEMENT (empty: the line is left out) and PROLOGUE, when set, put before
# the table; the copy's path in OUT. Fails when the source sets no such entry.
function(changed backend source entry replacement out)
  file(READ ${source} text)
  set(line "    .${entry} = impl::${entry},\n")
  string(FIND "${text}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${source} has no line \"${line}\"; this test looks for the table's entries so")
  endif()
  string(REPLACE "${line}" "${replacement}" text "${text}")
  if(DEFINED PROLOGUE)
    string(REPLACE "constinit const cw::backend::Functions cw::backend::kLinkedTable{"
                   "${PROLOGUE}\nconstinit const cw::backend::Functions cw::backend::kLinkedTable{" text "${text}")
  endif()
  set(copy ${WORK}/${backend}_${entry}.cpp)
  file(WRITE ${copy} "${text}")
  set(${out} ${copy} PARENT_SCOPE)
endfunction()

set(qt ${SOURCE_DIR}/platform/qt/backend_table.cpp)
set(null ${SOURCE_DIR}/platform/null/backend.cpp)
set(deleted "deleted (function|constructor).*Entry")

# The tables as they are: every entry set.
compile(${qt} FALSE "" "the Qt backend's table")
compile(${null} FALSE "" "the null backend's table")

# An entry left out: the first and the last of the Qt backend's, one inside the null backend's.
foreach(entry ensure_started write_bytes)
  changed(qt ${qt} ${entry} "" copy)
  compile(${copy} TRUE "${deleted}" "the Qt backend's table without ${entry}")
endforeach()
changed(null ${null} wake "" copy)
compile(${copy} TRUE "${deleted}" "the null backend's table without wake")

# A null entry, written as such.
changed(qt ${qt} message_box "    .message_box = nullptr,\n" copy)
compile(${copy} TRUE "deleted (function|constructor)" "the Qt backend's table with a null message_box")

# A null entry through a constant, and one through a pointer only known when the program runs.
set(PROLOGUE "constexpr void (*kNoWake)() = nullptr;")
changed(qt ${qt} wake "    .wake = kNoWake,\n" copy)
compile(${copy} TRUE "a_backend_entry_is_null|constant initializer" "the Qt backend's table with a null constant for wake")
set(PROLOGUE "void (*g_wake)() = impl::wake;")
changed(qt ${qt} wake "    .wake = g_wake,\n" copy)
compile(${copy} TRUE "constant" "the Qt backend's table with a variable for wake")
unset(PROLOGUE)

# A backend that leaves out constinit on its table is checked all the same: the header's
# declaration carries it.
file(READ ${qt} text)
string(REPLACE "constinit const cw::backend::Functions cw::backend::kLinkedTable{"
               "constexpr void (*kNoWake)() = nullptr;\nconst cw::backend::Functions cw::backend::kLinkedTable{" text "${text}")
string(REPLACE "    .wake = impl::wake,\n" "    .wake = kNoWake,\n" text "${text}")
file(WRITE ${WORK}/qt_without_constinit.cpp "${text}")
compile(${WORK}/qt_without_constinit.cpp TRUE "a_backend_entry_is_null|constant initializer"
        "the Qt backend's table, defined without constinit, with a null constant for wake")

file(REMOVE_RECURSE ${WORK})
