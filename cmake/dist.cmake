# What is handed to users, made by the dist target into the build's dist folder:
#   brevduva-daraduder-VERSION-ARCH.zip        the program, README.txt, LÄSMIG.txt, exempel.rtf
#   brevduva-daraduder-VERSION-setup-ARCH.exe  the installer of the same four files (makensis)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(DIST_ARCH x86_64)
else()
  set(DIST_ARCH i686)
endif()
set(DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(DIST_STAGE ${DIST_DIR}/stage)
set(DIST_NAME brevduva-daraduder-${PROJECT_VERSION})
set(DIST_ZIP ${DIST_DIR}/${DIST_NAME}-${DIST_ARCH}.zip)
set(DIST_SETUP ${DIST_DIR}/${DIST_NAME}-setup-${DIST_ARCH}.exe)
set(DIST_TEXTS ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/LÄSMIG.txt
               ${PROJECT_SOURCE_DIR}/docs/exempel.rtf)

add_custom_command(
  OUTPUT ${DIST_ZIP}
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/packaging/make_zip.py
          ${PROJECT_VERSION} $<TARGET_FILE:brevduva> ${PROJECT_SOURCE_DIR} ${DIST_STAGE} ${DIST_ZIP}
  DEPENDS brevduva ${DIST_TEXTS} ${PROJECT_SOURCE_DIR}/packaging/make_zip.py
  COMMENT "Packing ${DIST_NAME}-${DIST_ARCH}.zip")

find_program(MAKENSIS makensis)
if(MAKENSIS)
  set(make_setup ${MAKENSIS} -V2 -INPUTCHARSET UTF8 -DVERSION=${PROJECT_VERSION} -DARCH=${DIST_ARCH}
      -DSTAGE=${DIST_STAGE} -DICON=${CMAKE_BINARY_DIR}/resources/brevduva_daraduder.ico
      -DOUTFILE=${DIST_SETUP} ${PROJECT_SOURCE_DIR}/packaging/installer.nsi)
else()
  set(make_setup ${CMAKE_COMMAND} -E echo "makensis is missing: run scripts/install-deps.sh"
      COMMAND ${CMAKE_COMMAND} -E false)
endif()
add_custom_command(
  OUTPUT ${DIST_SETUP}
  COMMAND ${make_setup}
  DEPENDS ${DIST_ZIP} ${ART_STAMP} ${PROJECT_SOURCE_DIR}/packaging/installer.nsi
  COMMENT "Making the installer ${DIST_NAME}-setup-${DIST_ARCH}.exe")
add_custom_target(dist DEPENDS ${DIST_ZIP} ${DIST_SETUP})
