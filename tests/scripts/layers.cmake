# The layers point one way; the build refuses an upward include through the
# libraries' include roots, and this keeps a shared include folder from
# quietly undoing that.
add_test(NAME layers COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check_layers.sh)
