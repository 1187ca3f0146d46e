# The application kit: messages, handlers, loopers, messengers, the application and
# the roster.
target_sources(be PRIVATE)
