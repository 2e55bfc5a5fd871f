# cmake -DINPUT=firmware.hex -DOUTPUT=BuiltInFirmware.cpp -P EmbedFirmware.cmake
# NO_HEX_CONVERSION: file(STRINGS) would otherwise decode an Intel HEX file into its binary data.
file(STRINGS ${INPUT} lines NO_HEX_CONVERSION)
set(body "")
foreach(line IN LISTS lines)
  string(APPEND body "    \"${line}\\r\\n\"\n")
endforeach()
file(WRITE ${OUTPUT} "#include \"resources/BuiltInFirmware.h\"\n\nnamespace resources {\n\nstd::string_view BuiltInFirmwareText() {\n    static constexpr char kText[] =\n${body}    ;\n    return {kText, sizeof kText - 1};\n}\n\n}  // namespace resources\n")
