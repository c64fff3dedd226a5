# Who makes Tolvane: in the metainfo, the copyright file, the archives and
# the Windows program's version resource.
set(developer_name "The Tolvane developers")
set(developer_id org.tolvane)
# In the package and its changelog.
set(maintainer "${developer_name} <maintainers@tolvane.org>")
