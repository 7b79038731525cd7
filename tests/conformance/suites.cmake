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
  timers:null)
