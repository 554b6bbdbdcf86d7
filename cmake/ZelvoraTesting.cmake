# Sanitizer builds (presets asan and tsan) run every test with the runtime's options and the
# suppression files in tests/, which hold only findings inside third-party libraries. The soak runs
# one simulated week (every weekday's events once) instead of 30 days, to stay within its time-out.
set(ZELVORA_SANITIZER_ENV)
if(CMAKE_CXX_FLAGS MATCHES "-fsanitize=[a-z,]*address")
  set(ZELVORA_SANITIZER_ENV
    "ASAN_OPTIONS=detect_leaks=1:strict_init_order=1"
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
    "ZELVORA_SOAK_DAYS=7")
elseif(CMAKE_CXX_FLAGS MATCHES "-fsanitize=thread")
  # die_after_fork=0: the tests start `zelvora` and helpers with QProcess from a process that has
  # threads; the forked child only calls exec.
  set(ZELVORA_SANITIZER_ENV
    "TSAN_OPTIONS=ignore_noninstrumented_modules=1:die_after_fork=0:suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp"
    "ZELVORA_SOAK_DAYS=7")
endif()

# zelvora_sanitized_test(NAME <test> [WEB_ENGINE] [SOFTWARE_GL]): the sanitizer environment for a test
# added with add_test.
# - WEB_ENGINE: the test starts QtWebEngine. Chromium frees some objects through a base class of
#   another size, which AddressSanitizer reports as a new/delete type mismatch; that check has no
#   suppression entry, so it is off for these tests only.
# - SOFTWARE_GL: the program makes its shared OpenGL context on Xvfb or weston, which loads Mesa's
#   software driver. The driver leaks and is unloaded before the leak check, so its frames have no
#   name that a suppression could match: the leak check is off for these runs only (the unit tests
#   leak-check the program's objects).
function(zelvora_sanitized_test)
  cmake_parse_arguments(S "WEB_ENGINE;SOFTWARE_GL" "NAME" "" ${ARGN})
  if(NOT ZELVORA_SANITIZER_ENV)
    return()
  endif()
  set(env ${ZELVORA_SANITIZER_ENV})
  if(S_WEB_ENGINE)
    list(TRANSFORM env REPLACE "^(ASAN_OPTIONS=.*)" "\\1:new_delete_type_mismatch=0")
  endif()
  if(S_SOFTWARE_GL)
    list(TRANSFORM env REPLACE "^(ASAN_OPTIONS=.*)" "\\1:detect_leaks=0")
  endif()
  set_property(TEST ${S_NAME} APPEND PROPERTY ENVIRONMENT ${env})
endfunction()

# zelvora_add_test(NAME <name> SOURCES <files...> [GUI] [DBUS] [WEB_ENGINE] [LIBS <targets...>] [ENV <VAR=value...>]
#                  [TIMEOUT <s>])
#
# One Qt Test executable per class or concern. GUI tests link the GUI library and run on the
# offscreen platform; DBUS tests run inside a private session bus (dbus-run-session with
# tests/support/session-bus.conf, which starts no installed service). Every test gets
# its own XDG folders under the build tree, so no test touches the user's settings or cache.
function(zelvora_add_test)
  cmake_parse_arguments(T "GUI;DBUS;WEB_ENGINE" "NAME;TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  set(target test_${T_NAME})
  add_executable(${target} ${T_SOURCES})
  if(T_GUI)
    target_link_libraries(${target} PRIVATE zelvora_gui)
  else()
    target_link_libraries(${target} PRIVATE zelvora_core)
  endif()
  target_link_libraries(${target} PRIVATE Qt6::Test ${T_LIBS})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests)

  if(T_DBUS)
    find_program(DBUS_RUN_SESSION dbus-run-session REQUIRED)
    add_test(NAME ${T_NAME} COMMAND ${DBUS_RUN_SESSION}
             --config-file=${PROJECT_SOURCE_DIR}/tests/support/session-bus.conf -- $<TARGET_FILE:${target}>)
  else()
    add_test(NAME ${T_NAME} COMMAND ${target})
  endif()

  set(home ${CMAKE_BINARY_DIR}/test-home/${T_NAME})
  set(env
    "XDG_CONFIG_HOME=${home}/config"
    "XDG_DATA_HOME=${home}/data"
    "XDG_RUNTIME_DIR=${home}/runtime"
    "ZELVORA_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data"
    "DO_NOT_TRACK=1")
  if(T_GUI)
    list(APPEND env "QT_QPA_PLATFORM=offscreen" "QTWEBENGINE_DISABLE_SANDBOX=1"
         "QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --no-sandbox")
  endif()
  list(APPEND env ${T_ENV})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT ${T_TIMEOUT})
  if(T_WEB_ENGINE)
    zelvora_sanitized_test(NAME ${T_NAME} WEB_ENGINE)
  else()
    zelvora_sanitized_test(NAME ${T_NAME})
  endif()
  file(MAKE_DIRECTORY ${home}/runtime)
endfunction()
