namespace zt::detail {
void registerStandardEntryClasses() { }
void registerStandardFeedClasses() { }
}  // namespace zt::detail
