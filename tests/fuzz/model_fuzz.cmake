# The model-based fuzzer of the whole program through its windows. ctest runs
# a campaign of ORMEL_MODEL_FUZZ_SEQUENCES sequences: 300 by default, fewer
# under the sanitizers, which run slower; scripts/test.sh plays a short one
# unless told otherwise. `model_fuzz --soak` runs 10,000 sequences and
# reports the rate.
find_package(Qt6 6.4 REQUIRED COMPONENTS Test)
add_executable(model_fuzz ${CMAKE_CURRENT_LIST_DIR}/model_fuzz.cpp)
target_link_libraries(model_fuzz PRIVATE ormel_ui ormel_test_support Qt6::Test ormel_warnings)
if(CMAKE_CXX_FLAGS MATCHES "sanitize")
    set(model_fuzz_sequences 60)
else()
    set(model_fuzz_sequences 300)
endif()
set(ORMEL_MODEL_FUZZ_SEQUENCES ${model_fuzz_sequences} CACHE STRING
    "Sequences in the model fuzzer's campaign that ctest runs")
add_test(NAME model_fuzz COMMAND model_fuzz --sequences ${ORMEL_MODEL_FUZZ_SEQUENCES})
set_tests_properties(model_fuzz PROPERTIES TIMEOUT 240 ENVIRONMENT QT_QPA_PLATFORM=offscreen)
