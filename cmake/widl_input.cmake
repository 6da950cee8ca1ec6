# Writes the type library source as widl reads it for the interface
# declarations. widl refuses help strings on enumeration constants, which
# contract/corvane.idl declares, so they are left out of the copy;
# everything else passes unchanged. (The compiled type library, written
# from the contract tables, keeps them.)
#   cmake -DINPUT=corvane.idl -DOUTPUT=corvane_widl.idl -P widl_input.cmake
file(READ "${INPUT}" idl)
string(REGEX REPLACE "\\[helpstring\\(\"[A-Za-z]+\"\\)\\] ([A-Za-z]+ = )" "\\1"
       idl "${idl}")
file(WRITE "${OUTPUT}.tmp" "${idl}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
