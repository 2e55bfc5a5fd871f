# The desktop program's pictures, made from the vector drawings in resources/pictures at build
# time (rsvg-convert and ImageMagick's convert), and its compiled resource script.
# mtr_windows_resources(<target>) adds them to an executable.
set(MTR_PICTURES_DIR ${CMAKE_CURRENT_LIST_DIR}/../pictures)
set(MTR_WINDOWS_RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR})

function(mtr_windows_resources target)
  find_program(RSVG_CONVERT rsvg-convert REQUIRED)
  find_program(IMAGEMAGICK_CONVERT convert REQUIRED)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/windows-resources)
  file(MAKE_DIRECTORY ${out})
  set(penguin ${MTR_PICTURES_DIR}/penguin.svg)
  add_custom_command(
    OUTPUT ${out}/penguin.ico ${out}/penguin-48.png
    COMMAND ${RSVG_CONVERT} -w 48 -h 48 ${penguin} -o ${out}/penguin-48.png
    COMMAND ${RSVG_CONVERT} -w 32 -h 32 ${penguin} -o ${out}/penguin-32.png
    COMMAND ${RSVG_CONVERT} -w 16 -h 16 ${penguin} -o ${out}/penguin-16.png
    # Four images: 32 x 32 and 16 x 16, each in 32-bit colour with alpha and in 256 colours
    # (the 256-colour ones with a transparency mask).
    COMMAND ${IMAGEMAGICK_CONVERT} ${out}/penguin-32.png ${out}/penguin-16.png
            ( ${out}/penguin-32.png -channel A -threshold 50% +channel -colors 255 -type PaletteAlpha )
            ( ${out}/penguin-16.png -channel A -threshold 50% +channel -colors 255 -type PaletteAlpha )
            ${out}/penguin.ico
    DEPENDS ${penguin}
    COMMENT "Drawing the program icon and the Write picture"
    VERBATIM)
  add_custom_command(
    OUTPUT ${out}/information-24.png
    COMMAND ${RSVG_CONVERT} -w 24 -h 24 ${MTR_PICTURES_DIR}/information.svg -o ${out}/information-24.png
    DEPENDS ${MTR_PICTURES_DIR}/information.svg
    COMMENT "Drawing the information sign"
    VERBATIM)
  add_custom_command(
    OUTPUT ${out}/emblem.jpg
    COMMAND ${RSVG_CONVERT} -w 120 -h 89 ${MTR_PICTURES_DIR}/emblem.svg -o ${out}/emblem.png
    COMMAND ${IMAGEMAGICK_CONVERT} ${out}/emblem.png -background "#123d2a" -flatten -strip -quality 92 ${out}/emblem.jpg
    DEPENDS ${MTR_PICTURES_DIR}/emblem.svg
    COMMENT "Drawing the emblem"
    VERBATIM)
  configure_file(${MTR_WINDOWS_RESOURCES_DIR}/MTR508Bootloader.manifest ${out}/MTR508Bootloader.manifest COPYONLY)
  # windres straight from the toolchain file: the project's warning options are not windres options.
  set(windres ${CMAKE_RC_COMPILER})
  set(rc ${MTR_WINDOWS_RESOURCES_DIR}/MTR508Bootloader.rc)
  set(rc_object ${out}/MTR508Bootloader.res.o)
  add_custom_command(
    OUTPUT ${rc_object}
    COMMAND ${windres} -O coff -c 65001 -I ${out} -I ${MTR_WINDOWS_RESOURCES_DIR} -i ${rc} -o ${rc_object}
    DEPENDS ${rc} ${out}/penguin.ico ${out}/penguin-48.png ${out}/information-24.png ${out}/emblem.jpg
            ${out}/MTR508Bootloader.manifest ${MTR_WINDOWS_RESOURCES_DIR}/ResourceIds.h
    COMMENT "Compiling the Windows resources"
    VERBATIM)
  target_sources(${target} PRIVATE ${rc_object})
  set_source_files_properties(${rc_object} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
endfunction()
