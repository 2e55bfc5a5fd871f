# cmake -DINPUT=firmware.hex -DOUTPUT=BuiltInFirmware.cpp -P EmbedFirmware.cmake
file(STRINGS ${INPUT} lines)
set(body "")
foreach(line IN LISTS lines)
  string(APPEND body "    \"${line}\\r\\n\"\n")
endforeach()
file(WRITE ${OUTPUT} "#include \"resources/BuiltInFirmware.h\"\n\nnamespace resources {\n\nstd::string_view BuiltInFirmwareText() {\n    static constexpr char kText[] =\n${body}    ;\n    return {kText, sizeof kText - 1};\n}\n\n}  // namespace resources\n")
