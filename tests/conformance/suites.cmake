# The conformance suites: each is one program, test_<suite>.cpp, built against the platform
# layer by tests/conformance/CMakeLists.txt and against the system's SDK by
# cmake/windows_build.cmake. The backend is the one the suite needs natively: null where no
# display is needed, qt (offscreen) where fonts are measured.
set(CELWRIGHT_CONFORMANCE_SUITES
  windows:null
  menus:null
  mdi:null
  dialogs:qt
  controls:null
  ddraw:null
  text:null
  paint:null
  dib:null
  timers:null
  files:null
  images:null)

# celwright_conformance_main(SUITE OUT): OUT names a source holding the suite's main(), written
# into the build tree, so that the framework (conformance.cpp) is compiled once for all suites.
function(celwright_conformance_main suite out)
  set(file ${CMAKE_CURRENT_BINARY_DIR}/conformance_main_${suite}.cpp)
  file(CONFIGURE OUTPUT ${file} CONTENT "#include \"tests/conformance/conformance.h\"\n\nint main() {\n    return conformance::run_all(\"${suite}\");\n}\n")
  set(${out} ${file} PARENT_SCOPE)
endfunction()
